#include "CliRunner.h"
#include "SimulatorFixture.h"
#include "TestContext.h"

#include "core/commission/CommissionReport.h"
#include "core/host/IcmpAvailability.h"
#include "core/support/FileDigest.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <optional>
#include <unistd.h>

// cfgutil commission on this host: the checks of the plan and of the run's
// files, interrupts and resume, against a simulated device that answers at
// every loopback address.
class CommissionCliTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void badPlansAreRefusedBeforeAnythingIsSent_data();
    void badPlansAreRefusedBeforeAnythingIsSent();
    void filesOfTheRunAreCheckedBeforeAnythingIsSent_data();
    void filesOfTheRunAreCheckedBeforeAnythingIsSent();
    void interruptsStopTheRunAndTheReportIsWritten_data();
    void interruptsStopTheRunAndTheReportIsWritten();
    void resumeCarriesOverOnlyRowsWithTheSameFiles();
};

void CommissionCliTest::badPlansAreRefusedBeforeAnythingIsSent_data()
{
    QTest::addColumn<QByteArray>("plan");
    QTest::addColumn<QStringList>("problems"); // "line:text it contains"
    const QByteArray header =
        "hardware_address,ip,firmware,firmware_version,destination,web_pages,web_destination\n";
    QTest::newRow("empty") << QByteArray() << QStringList{"1:it needs a header row"};
    QTest::newRow("header only") << header << QStringList{"1:no device rows"};
    QTest::newRow("misspelt and missing columns")
        << QByteArray("hardware_address,adress\n02-00-00-14-01-18,127.0.0.10\n")
        << QStringList{"1:unknown column \"adress\"", "1:the header has no ip column"};
    QTest::newRow("quote left open")
        << header + "02-00-00-14-01-18,\"127.0.0.10\n\n02-00-00-14-01-19,127.0.0.11\n"
        << QStringList{"2:a quoted field is not closed"};
    // Lines 2 and 13 are good (a quoted path with a comma; colons and blanks).
    QTest::newRow("every kind of bad row")
        << header + "02-00-00-14-01-18,127.0.0.10,\"my fw, v5.rom\",5.0,,,\n"
                    "02-00-00-14-01-1,127.0.0.11,,,,,\n"
                    "02-00-00-14-01-19,127.0.0.300,,,,,\n"
                    "02-00-00-14-01-1g,1.2.3.4; reboot,,,,,\n"
                    "02-00-00-14-01-18,127.0.0.10,,,,,\n"
                    "02-00-00-14-01-20,127.0.0.12,none.rom,5.0,,,\n"
                    "02-00-00-14-01-21,127.0.0.13,fw.rom,,,,\n"
                    "02-00-00-14-01-22,127.0.0.14,,5.0,,,\n"
                    "02-00-00-14-01-23,127.0.0.15,fw.rom,5.0,Nope,,\n"
                    "02-00-00-14-01-24,127.0.0.16,,,,,WEB2\n"
                    "02-00-00-14-01-25,127.0.0.17,,,,,,extra\n"
                    "02:00:00:14:01:26, 127.0.0.18 ,,,,pages.wpk,\n"
                    "02-00-00-14-01-27,127.0.0.19,,,,.,\n"
        << QStringList{"3:hardware_address \"02-00-00-14-01-1\" is not six hex pairs",
                       "4:ip \"127.0.0.300\" is not an IPv4 address",
                       "5:hardware_address \"02-00-00-14-01-1g\"",
                       "5:ip \"1.2.3.4; reboot\"",
                       "6:hardware_address 02-00-00-14-01-18 is already on line 2",
                       "6:ip 127.0.0.10 is already on line 2",
                       "7:firmware: no such file",
                       "8:firmware without firmware_version",
                       "9:firmware_version without firmware",
                       "10:destination \"Nope\" is not in the product infobase",
                       "11:web_destination without web_pages",
                       "12:more fields than the header has columns",
                       "14:is not a file"};
}

void CommissionCliTest::badPlansAreRefusedBeforeAnythingIsSent()
{
    QFETCH(QByteArray, plan);
    QFETCH(QStringList, problems);
    TestContext tc; // InfobaseFile NONE: "Standard" is the one destination
    SimulatorFixture sim;
    sim.options.bindAddress = QHostAddress::AnyIPv4;
    QVERIFY(sim.start());
    sim.pointAt(tc.context);
    tc.writeFile("plan.csv", plan);
    tc.writeFile("my fw, v5.rom", "image");
    tc.writeFile("fw.rom", "image");
    tc.writeFile("pages.wpk", "pages");

    // The data file's folder is missing too: the plan's problems still come first.
    const CliResult result = runCli(tc.context, {"--json", "commission", tc.path("plan.csv"),
                                                 "--file", tc.path("gone/devices.txt")});
    QCOMPARE(result.exitCode, 2);
    const QJsonObject document = result.json();
    QCOMPARE(undocumentedOrMissing(document, "commission"), QString());
    QStringList found;
    for (const QJsonValue &problem : document.value("problems").toArray())
        found.append(QString::number(problem["line"].toInt()) + ':' + problem["text"].toString());
    QCOMPARE(found.size(), problems.size());
    for (qsizetype i = 0; i < problems.size(); ++i)
        QVERIFY2(found[i].startsWith(problems[i].section(':', 0, 0) + ':') &&
                     found[i].contains(problems[i].section(':', 1)),
                 qPrintable(found[i] + " / " + problems[i]));
    // Each problem is on standard error with the plan's path and line.
    const QJsonObject firstProblem = document.value("problems").toArray().first().toObject();
    QVERIFY(result.err.contains(QStringLiteral("%1:%2: %3")
                                    .arg(tc.path("plan.csv"))
                                    .arg(firstProblem["line"].toInt())
                                    .arg(firstProblem["text"].toString())
                                    .toUtf8()));
    QVERIFY(sim.log().isEmpty());
    QVERIFY(!QFile::exists(tc.path("plan-report.csv")));
    QVERIFY(!QFile::exists(tc.path("gone")));
}

void CommissionCliTest::filesOfTheRunAreCheckedBeforeAnythingIsSent_data()
{
    QTest::addColumn<QStringList>("links");     // "name=>target" symbolic, "name==target" hard
    QTest::addColumn<QStringList>("arguments"); // after "commission %dir/plan.csv" unless "save"
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("says");
    const auto row = [](const char *name, const QStringList &links, const QStringList &arguments,
                        int code, const QStringList &says) {
        QTest::newRow(name) << links << arguments << code << says;
    };
    const QStringList sameFile = {"is the same file as"};
    row("report is a link to the plan", {"r.csv=>plan.csv"}, {"--report", "%dir/r.csv"}, 2,
        sameFile + QStringList{"The report %dir/r.csv", "the plan %dir/plan.csv"});
    row("report through a linked folder", {"alias=>."}, {"--report", "%dir/alias/plan.csv"}, 2,
        sameFile + QStringList{"The report", "the plan"});
    row("report is a firmware image", {}, {"--report", "%dir/fw.rom"}, 2,
        sameFile + QStringList{"The report", "the firmware of plan line 2 %dir/fw.rom"});
    row("data file is a hard link to the web pages", {"d.txt==pages.wpk"}, {}, 2,
        sameFile + QStringList{"The device data file", "the web pages of plan line 2"});
    row("data file is a link to where the report goes", {"d.txt=>r.csv"},
        {"--report", "%dir/r.csv"}, 2,
        sameFile + QStringList{"The report", "the device data file"});
    row("resume report is the plan", {}, {"--resume", "%dir/plan.csv"}, 2,
        sameFile + QStringList{"The --resume report", "the plan"});
    row("report over the settings file", {}, {"--report", "%dir/ConfigUtility.ini"}, 2,
        sameFile + QStringList{"The report", "the settings file"});
    row("save into the settings file through a link", {"d.txt=>ConfigUtility.ini"}, {"save"}, 2,
        sameFile + QStringList{"The device data file", "the settings file"});
    row("data file that cannot be written", {}, {"--file", "%dir/ro/d.txt"}, 3,
        {"The device data file %dir/ro/d.txt cannot be written"});
    row("save into a file that cannot be written", {}, {"save", "--file", "%dir/ro/d.txt"}, 3,
        {"The device data file %dir/ro/d.txt cannot be written"});
}

void CommissionCliTest::filesOfTheRunAreCheckedBeforeAnythingIsSent()
{
    QFETCH(QStringList, links);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QStringList, says);
    TestContext tc;
    tc.writeFile("ConfigUtility.ini", "[Database]\r\n");
    SimulatorFixture sim;
    QVERIFY(sim.start());
    sim.pointAt(tc.context);
    const QByteArray plan = "hardware_address,ip,firmware,firmware_version,web_pages\n"
                            "02-00-00-04-0B-0C,127.0.0.1,fw.rom,5.0,pages.wpk\n";
    tc.writeFile("plan.csv", plan);
    tc.writeFile("fw.rom", "image");
    tc.writeFile("pages.wpk", "pages");
    for (const QString &link : std::as_const(links)) {
        const bool hard = link.contains("==");
        const QStringList ends = link.split(hard ? "==" : "=>");
        QVERIFY(hard ? ::link(qPrintable(tc.path(ends[1])), qPrintable(tc.path(ends[0]))) == 0
                     : QFile::link(tc.path(ends[1]), tc.path(ends[0])));
    }
    std::optional<ReadOnlyFolder> readOnly;
    if (exitCode == 3) {
        QVERIFY(QDir(tc.folder()).mkdir("ro"));
        readOnly.emplace(tc.path("ro"));
        if (!readOnly->usable())
            QSKIP("a folder cannot be made unwritable here");
    }
    const bool save = arguments.startsWith("save");
    QStringList command =
        save ? QStringList{"save", "127.0.0.1"} : QStringList{"commission", "%dir/plan.csv"};
    command += arguments.mid(save ? 1 : 0);
    if (!command.contains("--file"))
        command += QStringList{"--file", "%dir/d.txt"};
    command.replaceInStrings("%dir", tc.folder());
    says.replaceInStrings("%dir", tc.folder());
    const QByteArray settings = tc.readFile("ConfigUtility.ini");

    const CliResult result = runCli(tc.context, command);
    QCOMPARE(result.exitCode, exitCode);
    for (const QString &part : std::as_const(says))
        QVERIFY2(result.err.contains(part.toUtf8()), result.err.constData());
    QVERIFY(sim.log().isEmpty());
    QCOMPARE(tc.readFile("plan.csv"), plan);
    QCOMPARE(tc.readFile("fw.rom"), QByteArray("image"));
    QCOMPARE(tc.readFile("pages.wpk"), QByteArray("pages"));
    QCOMPARE(tc.readFile("ConfigUtility.ini"), settings);
}

void CommissionCliTest::interruptsStopTheRunAndTheReportIsWritten_data()
{
    QTest::addColumn<QList<int>>("raised"); // raised once the first device has started
    QTest::addColumn<QString>("first");     // the first row's outcome
    QTest::newRow("Ctrl-C") << QList<int>{SIGINT} << "already done";
    QTest::newRow("SIGTERM") << QList<int>{SIGTERM} << "already done";
    QTest::newRow("Ctrl-C twice") << QList<int>{SIGINT, SIGINT} << "interrupted";
    QTest::newRow("SIGTERM then Ctrl-C") << QList<int>{SIGTERM, SIGINT} << "interrupted";
}

void CommissionCliTest::interruptsStopTheRunAndTheReportIsWritten()
{
    QFETCH(QList<int>, raised);
    QFETCH(QString, first);
    if (!probeIcmp().usable())
        QSKIP("no ICMP socket can be opened here");
    TestContext tc;
    SimulatorFixture sim; // 02-00-00-04-0B-0C, at every address
    sim.options.bindAddress = QHostAddress::AnyIPv4;
    QVERIFY(sim.start());
    sim.pointAt(tc.context);
    // As a spreadsheet saves it, with a byte order mark.
    tc.writeFile("plan.csv", "\xEF\xBB\xBFhardware_address,ip\n"
                             "02-00-00-04-0B-0C,127.0.0.2\n"
                             "02-00-00-04-0B-0D,127.0.0.3\n"
                             "02-00-00-04-0B-0E,127.0.0.4\n");
    // A link where the report goes is replaced; what it points to stays.
    tc.writeFile("elsewhere.csv", "kept");
    QVERIFY(QFile::link(tc.path("elsewhere.csv"), tc.path("plan-report.csv")));
    struct sigaction before[2] = {};
    ::sigaction(SIGINT, nullptr, &before[0]);
    ::sigaction(SIGTERM, nullptr, &before[1]);
    // Posted work runs before timers: the first device has started by then.
    QTimer::singleShot(0, [raised] {
        for (const int number : raised)
            std::raise(number);
    });
    const CliResult result = runCli(tc.context, {"--json", "commission", tc.path("plan.csv"),
                                                 "--jobs", "1", "--file", tc.path("devices.txt")});
    QCOMPARE(result.exitCode, 1);
    const QJsonObject document = result.json();
    QCOMPARE(undocumentedOrMissing(document, "commission"), QString());
    QCOMPARE(document.value("interrupted").toBool(), true);
    const QJsonArray rows = document.value("rows").toArray();
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0]["outcome"].toString(), first);
    QCOMPARE(rows[1]["outcome"].toString(), "not started");
    QCOMPARE(rows[2]["outcome"].toString(), "not started");

    const ReadReport report = readReport(tc.path("plan-report.csv"));
    QCOMPARE(report.error, QString());
    QCOMPARE(report.rows.size(), 3);
    QCOMPARE(report.rows[0].outcome, first);
    QCOMPARE(report.rows[2].outcome, "not started");
    QVERIFY(!QFileInfo(tc.path("plan-report.csv")).isSymLink());
    QCOMPARE(tc.readFile("elsewhere.csv"), QByteArray("kept"));
    // A device stopped where it was has not been recorded.
    QCOMPARE(tc.readFile("devices.txt").startsWith("\"127.0.0.2\",\"02-00-00-04-0B-0C\""),
             first != interruptedOutcome());

    // Both signals do what they did before once the run is over.
    struct sigaction after[2] = {};
    ::sigaction(SIGINT, nullptr, &after[0]);
    ::sigaction(SIGTERM, nullptr, &after[1]);
    QVERIFY(after[0].sa_handler == before[0].sa_handler);
    QVERIFY(after[1].sa_handler == before[1].sa_handler);
}

void CommissionCliTest::resumeCarriesOverOnlyRowsWithTheSameFiles()
{
    if (!probeIcmp().usable())
        QSKIP("no ICMP socket can be opened here");
    TestContext tc;
    SimulatorFixture sim; // 02-00-00-04-0B-0C with firmware 4.10, at every address
    sim.options.bindAddress = QHostAddress::AnyIPv4;
    QVERIFY(sim.start());
    sim.pointAt(tc.context);
    tc.writeFile("fw.rom", "image");
    tc.writeFile("plan.csv", "hardware_address,ip,firmware,firmware_version\n"
                             "02-00-00-04-0B-0C,127.0.0.2,fw.rom,4.10\n"
                             "02-00-00-04-0B-0D,127.0.0.3,fw.rom,4.10\n");
    // Yesterday's report: both done, but line 3 with an image that has changed since.
    ReportRow kept;
    kept.line = 2;
    kept.hardwareAddress = "02-00-00-04-0B-0C";
    kept.ip = "127.0.0.2";
    kept.outcome = "done";
    kept.firmware = tc.path("fw.rom");
    kept.firmwareSha256 = sha256OfFile(tc.path("fw.rom"));
    kept.firmwareVersionPlanned = "4.10";
    kept.destination = "Standard";
    ReportRow stale = kept;
    stale.line = 3;
    stale.hardwareAddress = "02-00-00-04-0B-0D";
    stale.ip = "127.0.0.3";
    stale.firmwareSha256 = QString(64, '0');
    tc.writeFile("r.csv", reportText({kept, stale}).toUtf8());

    const CliResult result =
        runCli(tc.context, {"commission", tc.path("plan.csv"), "--file", tc.path("devices.txt"),
                            "--report", tc.path("r.csv"), "--resume", tc.path("r.csv")});
    QCOMPARE(result.exitCode, 1);
    const QList<QByteArray> lines = result.out.split('\n');
    QVERIFY2(lines[0].contains("done  (carried over from " + tc.path("r.csv").toUtf8() + ')'),
             lines[0].constData());
    QVERIFY2(lines[1].contains("failed at probe") && !lines[1].contains("carried over"),
             lines[1].constData());
    // It ran again and says with what.
    const ReadReport report = readReport(tc.path("r.csv"));
    QCOMPARE(report.rows.size(), 2);
    QCOMPARE(report.rows[1].outcome, "failed at probe");
    QCOMPARE(report.rows[1].firmwareSha256, kept.firmwareSha256);
}

QObject *createCommissionCliTest()
{
    return new CommissionCliTest;
}

#include "CommissionCliTest.moc"
