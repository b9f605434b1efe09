#include "ViewerTest.h"

#include "ViewerSetup.h"
#include "core/datafile/DataFileFormat.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QPalette>
#include <QScreen>
#include <QScrollBar>

void ViewerTest::loadShowsRecords()
{
    ViewerSetup s("devices.txt", recordLines(3));
    s.open();
    QCOMPARE(s.viewer->objectName(), QStringLiteral("frmDataFile"));
    QCOMPARE(s.viewer->windowTitle(), QStringLiteral("View Data File - devices.txt"));
    QCOMPARE(s.viewer->recordCount(), 3);
    for (int r = 0; r < 3; ++r) {
        QCOMPARE(s.cell(r, 0), QString::number(r + 1));
        QCOMPARE(s.cell(r, 1), "10.0.0." + QString::number(r + 1));
        QCOMPARE(s.cell(r, 5), QStringLiteral("two port (Q2, Q2R)"));
    }
    QCOMPARE(s.cell(3, 0), QString());
    QCOMPARE(s.viewer->currentPath(), s.t.path("devices.txt"));
    QCOMPARE(s.viewer->currentFolder(), s.t.folder() + "/");
    QCOMPARE(s.t.prompts.count(), 0);
    // Each activation puts the focus on the import button, wherever it was.
    s.viewer->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(s.viewer));
    s.grid()->setFocus();
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    s.viewer->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(s.viewer));
    QCOMPARE(s.viewer->focusWidget()->objectName(), QStringLiteral("cmdImportDataFile"));
}

void ViewerTest::gridLayout()
{
    ViewerSetup s("devices.txt", recordLines(1));
    s.open();
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
    const QStringList tabOrder{"cmdImportDataFile", "cmdPrintDataFile", "cmdSaveDataFile",
                               "grdDeviceData"};
    for (int i = 0; i + 1 < tabOrder.size(); ++i) {
        QWidget *w = s.viewer->findChild<QWidget *>(tabOrder[i])->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus)
            w = w->nextInFocusChain();
        QCOMPARE(w->objectName(), tabOrder[i + 1]);
    }
}

void ViewerTest::folderWithoutSeparator()
{
    ViewerSetup s("devices.txt", recordLines(2), QByteArray());
    s.t.writeFile("ConfigUtility.ini", "[Database]\r\nDatabaseFileName=devices.txt\r\n");
    s.t.reloadSettings(); // the folder defaults to the program folder, no trailing '/'
    s.open();
    QCOMPARE(s.viewer->recordCount(), 2);
    QCOMPARE(s.viewer->currentPath(), s.t.path("devices.txt"));
}

void ViewerTest::emptyFileNameShowsHeaderOnly()
{
    ViewerSetup s("");
    s.open();
    QCOMPARE(s.viewer->windowTitle(), QStringLiteral("View Data File"));
    QCOMPARE(s.cell(0, 0), QString());
    QCOMPARE(s.viewer->recordCount(), 0);
    QCOMPARE(s.t.prompts.count(), 0);
}

void ViewerTest::missingFileMessage()
{
    ViewerSetup s("gone.txt");
    s.open();
    QCOMPARE(s.t.prompts.count(), 1);
    const auto shown = s.t.prompts.shown().first();
    QCOMPARE(shown.title, QStringLiteral("Error Condition"));
    QCOMPARE(shown.text, "Database file " + s.t.path("gone.txt") +
                             " was not found!\r\nPlease select another file.");
    QCOMPARE(shown.icon, PromptIcon::None);
    QCOMPARE(s.viewer->windowTitle(), QStringLiteral("View Data File"));
    QVERIFY(!QFileInfo::exists(s.t.path("ErrorLog.txt")));
    QVERIFY(!QFileInfo::exists(s.t.path("gone.txt")));
}

void ViewerTest::emptyFileIsTrapped()
{
    ViewerSetup s("devices.txt", "");
    s.open();
    QCOMPARE(s.t.prompts.count(), 1);
    QCOMPARE(s.t.prompts.shown().first().text, QStringLiteral("62\r\nInput past end of file"));
    QCOMPARE(s.t.prompts.shown().first().icon, PromptIcon::Critical);
    QVERIFY(s.t.readFile("ErrorLog.txt").contains("\"Sub Form_Load in View Data File\",62,"));
    QCOMPARE(s.viewer->windowTitle(), QStringLiteral("View Data File"));
    QVERIFY(s.viewer->currentPath().isEmpty());
}

void ViewerTest::badInputNeverWritten_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("records");
    QTest::addColumn<QString>("firstIp");
    QTest::addColumn<QString>("lastIp");
    QTest::newRow("unquoted") << QByteArray("10.0.0.1,aa,1.0,X1,dev\r\n") << 1 << "10.0.0.1"
                              << "10.0.0.1";
    QTest::newRow("blanks after commas")
        << QByteArray("\"10.0.0.1\", \"aa\",  \"1.0\", X1, dev\r\n") << 1 << "10.0.0.1"
        << "10.0.0.1";
    QTest::newRow("four per line") << QByteArray("a,b,c,d\r\ne,f,g,h\r\n") << 2 << "a"
                                   << "e";
    QTest::newRow("six per line") << QByteArray("a,b,c,d,e,f\r\ng,h,i,j,k,l\r\n") << 2 << "a"
                                  << "g";
    QTest::newRow("blank lines") << "\r\n\r\n" + recordLines(1) + "\r\n"
                                 << 1 << "10.0.0.1"
                                 << "10.0.0.1";
    QTest::newRow("unbalanced quote")
        << QByteArray("\"10.0.0.1,b\r\nc,d,e,f,g\r\n") << 2 << "10.0.0.1,b"
        << "c";
    QTest::newRow("LF line ends") << recordLines(2).replace("\r\n", "\n") << 2 << "10.0.0.1"
                                  << "10.0.0.2";
    QTest::newRow("high bytes") << QByteArray("\"\xE9\xFF\",b,c,d,e\r\n") << 1 << "\u00E9\u00FF"
                                << "\u00E9\u00FF";
    QTest::newRow("control bytes") << QByteArray("\x01\x02,\x7F\r", 5) << 1 << "\x01\x02"
                                   << "\x01\x02";
    QTest::newRow("empty") << QByteArray("") << 0 << ""
                           << "";
    QTest::newRow("only blank lines") << QByteArray("\r\n  \n") << 0 << ""
                                      << "";
}

void ViewerTest::badInputNeverWritten()
{
    QFETCH(QByteArray, content);
    QFETCH(int, records);
    ViewerSetup s("devices.txt", content);
    const QDateTime modified = QFileInfo(s.t.path("devices.txt")).lastModified();
    s.open();
    QCOMPARE(s.viewer->recordCount(), records);
    QTEST(s.cell(0, 1), "firstIp");
    QTEST(s.cell(qMax(0, records - 1), 1), "lastIp");
    QCOMPARE(s.t.prompts.count(), records == 0 ? 1 : 0);
    QCOMPARE(s.t.readFile("devices.txt"), content);
    QCOMPARE(QFileInfo(s.t.path("devices.txt")).lastModified(), modified);
    QStringList expected{"ConfigUtility.ini", "devices.txt"};
    if (records == 0)
        expected << "ErrorLog.txt"; // the trapped failure's log line
    QStringList actual = QDir(s.t.folder()).entryList(QDir::Files | QDir::Hidden);
    actual.sort();
    expected.sort();
    QCOMPARE(actual, expected);
}

void ViewerTest::moreThanTwentyRecords()
{
    ViewerSetup s("devices.txt", recordLines(25));
    s.open();
    QCOMPARE(s.viewer->recordCount(), 25);
    QCOMPARE(s.cell(24, 0), QStringLiteral("25"));
    QCOMPARE(s.cell(24, 1), QStringLiteral("10.0.0.25"));
    QCOMPARE(s.t.prompts.count(), 0);
}
