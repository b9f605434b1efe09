#include "TestDownloadLogic.h"

#include "TestContext.h"
#include "core/support/Failure.h"
#include "core/tftp/ProductInfobase.h"

#include <QTest>

void TestDownloadLogic::infobaseLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("display");
    QTest::newRow("quoted") << R"("3Q","Standard")" << true << "3Q"
                            << "Standard";
    QTest::newRow("unquoted, blanks") << "  ROM1 ,  Model A  " << true << "ROM1"
                                      << "Model A";
    QTest::newRow("quoted blanks kept") << R"(" X "," Y ")" << true << " X "
                                        << " Y ";
    QTest::newRow("comma inside quotes") << R"("A,B","Two, parts")" << true << "A,B"
                                         << "Two, parts";
    QTest::newRow("blank before quote") << R"(  "Q1"  , "Q2")" << true << "Q1"
                                        << "Q2";
    QTest::newRow("empty quoted") << R"("","")" << true << ""
                                  << "";
    QTest::newRow("third field ignored") << "a,b,c" << true << "a"
                                         << "b";
    QTest::newRow("one field") << "ROM" << false << ""
                               << "";
    QTest::newRow("empty line") << "" << false << ""
                                << "";
}

void TestDownloadLogic::infobaseLine()
{
    QFETCH(QString, line);
    QFETCH(bool, valid);
    const auto entry = ProductInfobase::parseLine(line);
    QCOMPARE(entry.has_value(), valid);
    if (valid) {
        QTEST(entry->deviceFileName, "device");
        QTEST(entry->displayName, "display");
    }
}

void TestDownloadLogic::shownMissingName_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << "Products.txt"
                           << "Products.txt";
    QTest::newRow("blanks trimmed") << "  Products.txt   "
                                    << "Products.txt";
    QTest::newRow("cut after first .txt") << "a.txt.bak"
                                          << "a.txt";
    QTest::newRow("case-sensitive") << "Products.TXT"
                                    << "Pro";
    QTest::newRow("no extension") << "Infobase"
                                  << "Inf";
    QTest::newRow("short") << "ab"
                           << "ab";
}

void TestDownloadLogic::shownMissingName()
{
    QFETCH(QString, setting);
    QTEST(ProductInfobase::shownMissingName(setting), "shown");
}

void TestDownloadLogic::standsForDefault_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<bool>("isDefault");
    QTest::newRow("NONE") << "NONE" << true;
    QTest::newRow("none") << "none" << true;
    QTest::newRow("padded") << "  None    " << true;
    QTest::newRow("file name") << "NONE.txt" << false;
    QTest::newRow("empty") << "" << false;
}

void TestDownloadLogic::standsForDefault()
{
    QFETCH(QString, setting);
    QTEST(ProductInfobase::standsForDefault(setting), "isDefault");
}

void TestDownloadLogic::readsEntriesInFileOrder()
{
    TestContext tc;
    tc.writeFile("ib.txt", "\"R1\",\"First\"\r\n\r\nbad line\r\nR2 , Second\n");
    const QList<InfobaseEntry> entries = ProductInfobase::read(tc.path("ib.txt"));
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[0].deviceFileName, QStringLiteral("R1"));
    QCOMPARE(entries[0].displayName, QStringLiteral("First"));
    QCOMPARE(entries[1].deviceFileName, QStringLiteral("R2"));
    QCOMPARE(entries[1].displayName, QStringLiteral("Second"));
}

void TestDownloadLogic::emptyOrMissingInfobaseFails()
{
    TestContext tc;
    tc.writeFile("empty.txt", "");
    const QList<QPair<QString, int>> cases = {
        {tc.path("empty.txt"), FailureNumber::InputPastEndOfFile},
        {tc.path("missing.txt"), FailureNumber::FileNotFound},
        {tc.path("nofolder/x.txt"), FailureNumber::PathNotFound},
    };
    for (const auto &[path, number] : cases) {
        try {
            ProductInfobase::read(path);
            QFAIL(qPrintable(QStringLiteral("no failure for ") + path));
        } catch (const Failure &failure) {
            QCOMPARE(failure.number(), number);
        }
    }
}

void TestDownloadLogic::defaultLineAppendedEachTime()
{
    TestContext tc;
    const QByteArray line = QByteArray::fromHex("2233512"
                                                "22c225374616e6461726422"
                                                "0d0a");
    QCOMPARE(ProductInfobase::defaultLine(), line);
    QCOMPARE(line.size(), 17);
    tc.writeFile("ib.txt", "\"A\",\"B\"\r\n");
    ProductInfobase::appendDefault(tc.path("ib.txt"));
    ProductInfobase::appendDefault(tc.path("ib.txt"));
    QCOMPARE(tc.readFile("ib.txt"), QByteArray("\"A\",\"B\"\r\n") + line + line);
    ProductInfobase::appendDefault(tc.path("new.txt"));
    QCOMPARE(tc.readFile("new.txt"), line);

    // A last line without its line end gets one first, so it keeps its own
    // entry and the default line reads back as written.
    for (const QByteArray &unterminated : {QByteArray("\"A\",\"B\""), QByteArray("A,B")}) {
        tc.writeFile("open.txt", unterminated);
        ProductInfobase::appendDefault(tc.path("open.txt"));
        QCOMPARE(tc.readFile("open.txt"), unterminated + "\r\n" + line);
        const QList<InfobaseEntry> entries = ProductInfobase::read(tc.path("open.txt"));
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[0].displayName, QStringLiteral("B"));
        QCOMPARE(ProductInfobase::lookUp(tc.path("open.txt"), "Standard"),
                 std::optional<QString>("3Q"));
    }
}

void TestDownloadLogic::lookUpIsExactAndCaseSensitive()
{
    TestContext tc;
    tc.writeFile("ib.txt", "\"R1\",\"Model\"\r\n\"R2\",\"model\"\r\n\"R3\",\"Model\"\r\n");
    const QString path = tc.path("ib.txt");
    QCOMPARE(ProductInfobase::lookUp(path, "Model"), std::optional<QString>("R1"));
    QCOMPARE(ProductInfobase::lookUp(path, "model"), std::optional<QString>("R2"));
    QCOMPARE(ProductInfobase::lookUp(path, "Model "), std::nullopt);
    try {
        ProductInfobase::lookUp(tc.path("missing.txt"), "Model");
        QFAIL("a missing infobase was looked up");
    } catch (const Failure &failure) {
        QCOMPARE(failure.number(), FailureNumber::FileNotFound);
    }
}
