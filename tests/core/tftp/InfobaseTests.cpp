#include "TestDownloadLogic.h"

#include "FailureOf.h"
#include "TestContext.h"
#include "core/support/Failure.h"
#include "core/tftp/FirmwareDestination.h"
#include "core/tftp/ProductInfobase.h"

#include <QTest>

void TestDownloadLogic::infobaseLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("display");
    const auto row = [](const char *name, const char *line, bool valid, const char *device,
                        const char *display) {
        QTest::newRow(name) << QString(line) << valid << QString(device) << QString(display);
    };
    row("quoted", R"("3Q","Standard")", true, "3Q", "Standard");
    row("unquoted, blanks", "  ROM1 ,  Model A  ", true, "ROM1", "Model A");
    row("quoted blanks kept", R"(" X "," Y ")", true, " X ", " Y ");
    row("comma inside quotes", R"("A,B","Two, parts")", true, "A,B", "Two, parts");
    row("blank before quote", R"(  "Q1"  , "Q2")", true, "Q1", "Q2");
    row("empty quoted", R"("","")", true, "", "");
    row("third field ignored", "a,b,c", true, "a", "b");
    row("one field", "ROM", false, "", "");
    row("empty line", "", false, "", "");
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
    const auto row = [](const char *name, const char *setting, const char *shown) {
        QTest::newRow(name) << QString(setting) << QString(shown);
    };
    row("plain", "Products.txt", "Products.txt");
    row("blanks trimmed", "  Products.txt   ", "Products.txt");
    row("cut after first .txt", "a.txt.bak", "a.txt");
    row("case-sensitive", "Products.TXT", "Pro");
    row("no extension", "Infobase", "Inf");
    row("short", "ab", "ab");
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

void TestDownloadLogic::emptyOrMissingInfobaseFails()
{
    TestContext tc;
    tc.writeFile("empty.txt", "");
    const auto readFailure = [&](const char *name) {
        return failureOf([&] { ProductInfobase::read(tc.path(name)); });
    };
    QCOMPARE(readFailure("empty.txt"), FailureNumber::InputPastEndOfFile);
    QCOMPARE(readFailure("missing.txt"), FailureNumber::FileNotFound);
    QCOMPARE(readFailure("nofolder/x.txt"), FailureNumber::PathNotFound);
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
    QCOMPARE(failureOf([&] { ProductInfobase::lookUp(tc.path("missing.txt"), "Model"); }),
             FailureNumber::FileNotFound);
}

void TestDownloadLogic::firmwareDestinationWithoutQuestions_data()
{
    QTest::addColumn<QString>("endUser");
    QTest::addColumn<QString>("infobase"); // InfobaseFile; "two.txt" holds two entries
    QTest::addColumn<QString>("requested");
    QTest::addColumn<bool>("createMissing");
    QTest::addColumn<int>("problem");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QString>("deviceFileName");
    QTest::addColumn<QString>("defaultFile"); // ProductInfobase.txt afterwards

    using P = FirmwareDestination::Problem;
    const QString line = QString::fromLatin1(ProductInfobase::defaultLine());
    const auto row = [](const char *name, const QString &endUser, const QString &infobase,
                        const QString &requested, bool create, P problem,
                        const QString &destination, const QString &device,
                        const QString &defaultFile) {
        QTest::newRow(name) << endUser << infobase << requested << create << int(problem)
                            << destination << device << defaultFile;
    };
    row("fixed", "KVR", "two.txt", "", false, P::None, "Default KVR", "ROM", "");
    row("fixed, another asked", "KVR", "two.txt", "B", false, P::Fixed, "Default KVR", "ROM", "");
    row("first entry", "", "two.txt", "", false, P::None, "Model A", "RA", "");
    row("named entry", "", " two.txt ", "Model B", false, P::None, "Model B", "RB", "");
    row("not in the infobase", "", "two.txt", "Model C", false, P::NotInInfobase, "Model C", "",
        "");
    row("NONE: the default file, each time", "", "none", "", false, P::None, "Standard", "3Q",
        line + line);
    row("missing, not to be created", "", "gone.txt", "", false, P::InfobaseMissing, "", "", "");
    row("missing, created", "", "gone.txt", "", true, P::None, "Standard", "3Q", line);
}

void TestDownloadLogic::firmwareDestinationWithoutQuestions()
{
    QFETCH(QString, endUser);
    QFETCH(QString, infobase);
    QFETCH(QString, requested);
    QFETCH(bool, createMissing);
    QFETCH(int, problem);
    QFETCH(QString, destination);
    QFETCH(QString, deviceFileName);
    QFETCH(QString, defaultFile);
    TestContext tc;
    tc.writeFile("two.txt", "\"RA\",\"Model A\"\r\n\"RB\",\"Model B\"\r\n");
    tc.context.settings.EndUser = endUser;
    tc.context.settings.InfobaseFile = infobase;
    if (infobase == "none") // the dialog's rule adds a line at every opening
        tc.writeFile(ProductInfobase::defaultFileName(), ProductInfobase::defaultLine());

    const FirmwareDestination resolved =
        resolveFirmwareDestination(tc.context.settings, tc.context.paths, requested, createMissing);
    QCOMPARE(int(resolved.problem), problem);
    QCOMPARE(resolved.destination, destination);
    QCOMPARE(resolved.deviceFileName, deviceFileName);
    QCOMPARE(QString::fromLatin1(tc.readFile(ProductInfobase::defaultFileName())), defaultFile);
}

void TestDownloadLogic::firmwareDestinationsOffered_data()
{
    QTest::addColumn<QString>("infobase"); // InfobaseFile; two.txt holds "Model A" and "Model B"
    QTest::addColumn<QString>("asked");    // the name the question shows; empty: not asked
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QStringList>("destinations");
    QTest::addColumn<int>("failure");   // kept from the load
    QTest::addColumn<QString>("found"); // for "Model B": the device file name, "-" or a failure
    // two.txt is rewritten between the load and the look-up.
    QTest::newRow("listed, then looked up as the file is")
        << "two.txt"
        << "" << false << QStringList{"Model A", "Model B"} << 0 << "RC";
    QTest::newRow("missing, Yes") << " gone.txt.old "
                                  << "gone.txt" << true << QStringList{"Standard"} << 0 << "-";
    QTest::newRow("missing, No") << "gone.txt.old"
                                 << "gone.txt" << false << QStringList() << 0
                                 << QString::number(FailureNumber::FileNotFound);
    QTest::newRow("no entry") << "empty.txt"
                              << "" << true << QStringList()
                              << int(FailureNumber::InputPastEndOfFile) << "-";
}

// The list the dialog offers and the look-up at download; the question is
// asked only for a missing named infobase, and its answer decides.
void TestDownloadLogic::firmwareDestinationsOffered()
{
    QFETCH(QString, asked);
    QFETCH(bool, yes);
    TestContext tc;
    tc.writeFile("two.txt", "\"RA\",\"Model A\"\r\n\"RB\",\"Model B\"\r\n");
    tc.writeFile("empty.txt", "");
    QFETCH(QString, infobase);
    tc.context.settings.InfobaseFile = infobase;
    QStringList questions;
    const FirmwareDestinationList list =
        loadFirmwareDestinations(tc.context.settings, tc.context.paths, [&](const QString &name) {
            questions << name;
            return yes;
        });
    QCOMPARE(questions, asked.isEmpty() ? QStringList() : QStringList{asked});
    QTEST(list.destinations, "destinations");
    QTEST(list.failure ? list.failure->number() : 0, "failure");

    tc.writeFile("two.txt", "\"RC\",\"Model B\"\r\n");
    QString found;
    const int failure = failureOf([&] {
        const FirmwareDestination destination = lookUpFirmwareDestination(list, "Model B");
        found = destination.problem == FirmwareDestination::Problem::None
                    ? destination.deviceFileName
                    : QStringLiteral("-");
    });
    QTEST(failure ? QString::number(failure) : found, "found");
}
