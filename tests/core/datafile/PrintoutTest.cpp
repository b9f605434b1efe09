#include "PrintoutTest.h"

#include "core/datafile/DataFilePrintout.h"

#include <QTest>

namespace {

QString at(int column, const QString &text)
{
    return QString(column - 1, QLatin1Char(' ')) + text;
}

QStringList row(int n)
{
    return {QString::number(n),
            "192.168.1." + QString::number(n),
            "02-00-00-12-34-5F",
            "4.5",
            "X1",
            "one port (NV30, Petite, Compact-Rev2)"};
}

QList<QStringList> rows(int count)
{
    QList<QStringList> result;
    for (int n = 1; n <= count; ++n)
        result << row(n);
    return result;
}

} // namespace

void PrintoutTest::tabs_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("forward") << "ab" << 5 << QStringList{"ab  x"};
    QTest::newRow("exactly there") << "abcd" << 5 << QStringList{"abcdx"};
    QTest::newRow("passed: next line") << "abcde" << 5 << QStringList{"abcde", "    x"};
    QTest::newRow("column 1 on empty line") << "" << 1 << QStringList{"x"};
}

void PrintoutTest::tabs()
{
    QFETCH(QString, first);
    QFETCH(int, column);
    ColumnLines out;
    out.text(first).tab(column).text("x").endLine();
    QTEST(out.takeLines(), "lines");
}

void PrintoutTest::threeRecords()
{
    const QList<QStringList> pages = dataFilePrintout("/data/devices.txt", rows(3));
    QCOMPARE(pages.size(), 1);
    const QString rule = at(4, QString(164, '-'));
    QString header = at(4, "| Device #");
    header = header.leftJustified(22) + "IP Address";
    header = header.leftJustified(41) + "Hardware Address";
    header = header.leftJustified(64) + "FW Version";
    header = header.leftJustified(79) + "FW Type";
    header = header.leftJustified(91) + "Device Type";
    header = header.leftJustified(128) + "|";
    const QString record1 = "   |   1             192.168.1.1         02-00-00-12-34-5F       4.5"
                            "            X1         one port (NV30, Petite, Compact-Rev2)|";
    const QStringList expected{
        "", "", at(4, "Data file path: /data/devices.txt"), "", rule, header, rule, record1};
    QCOMPARE(pages[0].mid(0, 8), expected);
    QCOMPARE(pages[0].size(), 11);
    QVERIFY(pages[0][8].startsWith("   |   2 "));
    QVERIFY(pages[0][9].startsWith("   |   3 "));
    QCOMPARE(pages[0][10], rule);
    QCOMPARE(record1.indexOf("192"), 21);
    QCOMPARE(record1.indexOf("02-"), 41);
    QCOMPARE(record1.indexOf("4.5"), 65);
    QCOMPARE(record1.indexOf("X1"), 80);
    QCOMPARE(record1.lastIndexOf('|'), 128);
}

void PrintoutTest::pageBreakAfterSixtyOneRecordLines()
{
    const QList<QStringList> pages = dataFilePrintout("/p", rows(130));
    QCOMPARE(pages.size(), 3);
    // 7 lines of heading, then 61 record lines; no heading on later pages.
    QCOMPARE(pages[0].size(), 7 + 61);
    QVERIFY(pages[0].last().startsWith("   |   61 "));
    QCOMPARE(pages[1].size(), 61);
    QVERIFY(pages[1].first().startsWith("   |   62 "));
    QCOMPARE(pages[2].size(), 130 - 122 + 1);
    QCOMPARE(pages[2].last(), at(4, QString(164, '-')));

    // Exactly 61 records: the closing rule starts a page of its own.
    const QList<QStringList> exact = dataFilePrintout("/p", rows(61));
    QCOMPARE(exact.size(), 2);
    QCOMPARE(exact[1].size(), 1);
    QCOMPARE(dataFilePrintout("/p", rows(60)).size(), 1);
}
