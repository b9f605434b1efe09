#include "PrintoutTest.h"

#include "core/datafile/DataFilePrintout.h"
#include "core/support/PrintLayout.h"

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

void PrintoutTest::pagesFitThePaper_data()
{
    // Landscape sheets in points with half-inch margins, and a fixed-pitch
    // font whose character is 0.6 em wide and whose lines are 1.17 em apart.
    QTest::addColumn<qreal>("width");
    QTest::addColumn<qreal>("height");
    QTest::newRow("A4") << 841.89 - 72 << 595.28 - 72;
    QTest::newRow("US Letter") << 792.0 - 72 << 612.0 - 72;
}

void PrintoutTest::pagesFitThePaper()
{
    QFETCH(qreal, width);
    QFETCH(qreal, height);
    const PrintArea area{width, height, 6.0, 11.7, 10};
    const QList<QStringList> pages = dataFilePrintout("/p", rows(130));
    const PrintLayout layout = layOutPrint(pages, area);

    // The rule fills the width, and as many lines as fit make a page: fewer
    // than the 68 of the printout's first page on either paper.
    QVERIFY(170 * 6.0 * layout.pointSize / 10 <= width + 1e-6);
    QVERIFY(layout.linesPerPage * layout.lineSpacing <= height);
    QVERIFY((layout.linesPerPage + 1) * layout.lineSpacing > height);
    QVERIFY(layout.linesPerPage < 68);

    // No page runs off the paper, no line is lost, and the printout's own page
    // breaks stay: record 62 still opens a page.
    QStringList before, after;
    for (const QStringList &page : pages)
        before += page;
    bool breakKept = false;
    for (const QStringList &page : layout.pages) {
        QVERIFY(page.size() <= layout.linesPerPage);
        breakKept = breakKept || page.first().startsWith("   |   62 ");
        after += page;
    }
    QCOMPARE(after, before);
    QVERIFY(breakKept);
}
