#include "ViewerTest.h"

#include "DialogChecks.h"
#include "ViewerSetup.h"
#include "core/support/SharedMessages.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QPalette>
#include <QScreen>
#include <QScrollBar>

void ViewerTest::gridLayout()
{
    ViewerSetup s("devices.txt", recordLines(1));
    s.open();
    QCOMPARE(s.viewer->objectName(), QStringLiteral("frmDataFile"));
    QCOMPARE(s.cell(0, 5), QStringLiteral("two port (Q2, Q2R)"));
    QTableWidget *grid = s.grid();
    QStringList headers;
    for (int c = 0; c < grid->columnCount(); ++c)
        headers << grid->horizontalHeaderItem(c)->text();
    QCOMPARE(headers, (QStringList{"Device #", "IP Address", "Hardware Address", "FW Version",
                                   "FW Type", "Device Type"}));
    // Widths keep the proportions 1500:1580:1020:980:2800 (twips at 15 per
    // pixel, scaled up together when the font needs it), and a hardware
    // address and the longest device type fit their columns.
    const int twips[] = {1500, 1580, 1020, 980, 2800};
    const double scale = grid->columnWidth(2) / (1580.0 / 15);
    QVERIFY(scale >= 1.0);
    for (int c = 1; c <= 5; ++c)
        QVERIFY(qAbs(grid->columnWidth(c) - twips[c - 1] / 15.0 * scale) <= 1.0);
    QVERIFY(grid->columnWidth(2) >
            grid->fontMetrics().horizontalAdvance(QStringLiteral("02-00-00-12-34-5F")));
    QVERIFY(grid->columnWidth(5) > grid->fontMetrics().horizontalAdvance(
                                       QStringLiteral("one port (NV30, Petite, Compact-Rev2)")));
    // The window opens at its preferred width unless the screen is narrower,
    // and at that width all six columns show: nothing is cut off behind a
    // sideways scroll bar.
    const int screenWidth = s.viewer->screen()->availableGeometry().width();
    QCOMPARE(s.viewer->width(), qMin(qMax(720, s.viewer->sizeHint().width()), screenWidth));
    s.viewer->resize(s.viewer->sizeHint().width(), s.viewer->height());
    QTRY_VERIFY(grid->horizontalHeader()->length() <= grid->viewport()->width());
    QCOMPARE(grid->horizontalScrollBar()->maximum(), 0);
    QCOMPARE(grid->horizontalHeaderItem(3)->background().color(),
             grid->palette().color(QPalette::Light));
    QCOMPARE(grid->item(0, 2)->textAlignment(), int(Qt::AlignLeft | Qt::AlignVCenter));
    QCOMPARE(
        tabOrder(s.viewer->findChild<QWidget *>("cmdImportDataFile"), 4),
        QStringList({"cmdImportDataFile", "cmdPrintDataFile", "cmdSaveDataFile", "grdDeviceData"}));

    // Each activation puts the focus on the import button, wherever it was.
    s.viewer->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(s.viewer));
    grid->setFocus();
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    s.viewer->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(s.viewer));
    QCOMPARE(s.viewer->focusWidget()->objectName(), QStringLiteral("cmdImportDataFile"));
}

void ViewerTest::load_data()
{
    QTest::addColumn<QByteArray>("fileName");
    QTest::addColumn<QByteArray>("folder");  // as ViewerSetup takes it
    QTest::addColumn<QByteArray>("content"); // null: no such file
    QTest::addColumn<int>("records");
    QTest::addColumn<QStringList>("ips");      // of the first and the last record
    QTest::addColumn<QStringList>("messages"); // %1: the test folder
    const QByteArray name = "devices.txt";
    const QByteArray none;
    const QStringList quiet;
    const QStringList trapped{kErrorTitle + "|Critical|62\r\nInput past end of file"};
    QTest::newRow("three records")
        << name << none << recordLines(3) << 3 << QStringList{"10.0.0.1", "10.0.0.3"} << quiet;
    QTest::newRow("more than twenty")
        << name << none << recordLines(25) << 25 << QStringList{"10.0.0.1", "10.0.0.25"} << quiet;
    // The folder then defaults to the program folder, without a trailing '/'.
    QTest::newRow("no folder setting") << name << QByteArray("") << recordLines(2) << 2
                                       << QStringList{"10.0.0.1", "10.0.0.2"} << quiet;
    QTest::newRow("no file name") << QByteArray("") << none << none << 0 << QStringList{"", ""}
                                  << quiet;
    QTest::newRow("missing file")
        << QByteArray("gone.txt") << none << none << 0 << QStringList{"", ""}
        << QStringList{kErrorTitle + "|None|Database file %1/gone.txt was not found!\r\n"
                                     "Please select another file."};
    // Odd files are read as well as may be and never written.
    QTest::newRow("unquoted") << name << none << QByteArray("10.0.0.1,aa,1.0,X1,dev\r\n") << 1
                              << QStringList{"10.0.0.1", "10.0.0.1"} << quiet;
    QTest::newRow("blanks after commas")
        << name << none << QByteArray("\"10.0.0.1\", \"aa\",  \"1.0\", X1, dev\r\n") << 1
        << QStringList{"10.0.0.1", "10.0.0.1"} << quiet;
    QTest::newRow("four per line") << name << none << QByteArray("a,b,c,d\r\ne,f,g,h\r\n") << 2
                                   << QStringList{"a", "e"} << quiet;
    QTest::newRow("six per line") << name << none << QByteArray("a,b,c,d,e,f\r\ng,h,i,j,k,l\r\n")
                                  << 2 << QStringList{"a", "g"} << quiet;
    QTest::newRow("blank lines") << name << none << "\r\n\r\n" + recordLines(1) + "\r\n"
                                 << 1 << QStringList{"10.0.0.1", "10.0.0.1"} << quiet;
    QTest::newRow("unbalanced quote") << name << none << QByteArray("\"10.0.0.1,b\r\nc,d,e,f,g\r\n")
                                      << 2 << QStringList{"10.0.0.1,b", "c"} << quiet;
    QTest::newRow("LF line ends") << name << none << recordLines(2).replace("\r\n", "\n") << 2
                                  << QStringList{"10.0.0.1", "10.0.0.2"} << quiet;
    QTest::newRow("high bytes") << name << none << QByteArray("\"\xE9\xFF\",b,c,d,e\r\n") << 1
                                << QStringList{"\u00E9\u00FF", "\u00E9\u00FF"} << quiet;
    QTest::newRow("control bytes") << name << none << QByteArray("\x01\x02,\x7F\r", 5) << 1
                                   << QStringList{"\x01\x02", "\x01\x02"} << quiet;
    QTest::newRow("empty") << name << none << QByteArray("") << 0 << QStringList{"", ""} << trapped;
    QTest::newRow("only blank lines")
        << name << none << QByteArray("\r\n  \n") << 0 << QStringList{"", ""} << trapped;
}

void ViewerTest::load()
{
    QFETCH(QByteArray, fileName);
    QFETCH(QByteArray, folder);
    QFETCH(QByteArray, content);
    QFETCH(int, records);
    QFETCH(QStringList, messages);
    ViewerSetup s(fileName, content, folder);
    const QString path = s.t.path(QString::fromLatin1(fileName));
    const QDateTime modified = QFileInfo(path).lastModified();
    s.open();
    QCOMPARE(s.viewer->recordCount(), records);
    QTEST((QStringList{s.cell(0, 1), s.cell(qMax(0, records - 1), 1)}), "ips");
    QCOMPARE(s.cell(qMax(0, records - 1), 0), records ? QString::number(records) : QString());
    QCOMPARE(s.cell(records, 0), QString());
    messages.replaceInStrings("%1", s.t.folder());
    QCOMPARE(said(s.t.prompts), messages);
    QCOMPARE(s.viewer->windowTitle(), QStringLiteral("View Data File") +
                                          (records ? " - " + QString::fromLatin1(fileName) : ""));
    QCOMPARE(s.viewer->currentPath(), records ? path : QString());
    if (records)
        QCOMPARE(s.viewer->currentFolder(), folder.isNull() ? s.t.folder() + "/" : s.t.folder());
    QCOMPARE(s.t.readFile(QString::fromLatin1(fileName)), content);
    QCOMPARE(QFileInfo(path).lastModified(), modified);
    // The trapped failure's log line is the only file written.
    QStringList expected{"ConfigUtility.ini"};
    if (!content.isNull())
        expected << QString::fromLatin1(fileName);
    if (messages.value(0).contains("|Critical|"))
        expected << "ErrorLog.txt";
    QStringList actual = QDir(s.t.folder()).entryList(QDir::Files | QDir::Hidden);
    actual.sort();
    expected.sort();
    QCOMPARE(actual, expected);
    if (expected.contains("ErrorLog.txt"))
        QVERIFY(s.t.readFile("ErrorLog.txt").contains("\"Sub Form_Load in View Data File\",62,"));
}
