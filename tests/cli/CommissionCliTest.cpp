#include "CliRunner.h"
#include "NetnsFixture.h"
#include "SimulatorFixture.h"
#include "TestContext.h"

#include "core/commission/CommissionReport.h"

#include <QFile>
#include <QJsonArray>
#include <QTimer>
#include <QtTest>

#include <csignal>

// cfgutil commission on this host: the plan checks, against a simulated
// device that answers at every loopback address, and Ctrl-C, against one in
// a network namespace of the test's own.
class CommissionCliTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void badPlansAreRefusedBeforeAnythingIsSent_data();
    void badPlansAreRefusedBeforeAnythingIsSent();
    void ctrlCLetsTheRunningDeviceFinishAndStartsNoMore();
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
        << QByteArray("hardware_address,adress\n02-00-00-14-01-18,192.0.2.10\n")
        << QStringList{"1:unknown column \"adress\"", "1:the header has no ip column"};
    QTest::newRow("header ends in a comma")
        << QByteArray("hardware_address,ip,\n02-00-00-14-01-18,192.0.2.10,\n")
        << QStringList{"1:the header ends in a comma"};
    QTest::newRow("quote left open")
        << header + "02-00-00-14-01-18,\"192.0.2.10\n\n02-00-00-14-01-19,192.0.2.11\n"
        << QStringList{"2:a quoted field is not closed"};
    QTest::newRow("lines end in CR alone")
        << QByteArray("hardware_address,ip\r02-00-00-14-01-18,192.0.2.10\r")
        << QStringList{"1:line 1 ends in a carriage return alone"};
    QTest::newRow("UTF-16") << QByteArray("\xFF\xFEh\0,\0i\0p\0\n\0", 12)
                            << QStringList{"0:is UTF-16 text"};
    // Lines 2 and 13 are good (a quoted path with a comma; colons and blanks).
    QTest::newRow("every kind of bad row")
        << header +
               "02-00-00-14-01-18,192.0.2.10,\"my fw, v5.rom\",5.0,,,\n"
               "02-00-00-14-01-1,192.0.2.11,,,,,\n"
               "02-00-00-14-01-19,192.0.2.300,,,,,\n"
               "02-00-00-14-01-1g,1.2.3.4; reboot,,,,,\n"
               "02-00-00-14-01-18,192.0.2.10,,,,,\n"
               "02-00-00-14-01-20,192.0.2.12,none.rom,5.0,,,\n"
               "02-00-00-14-01-21,192.0.2.13,fw.rom,,,,\n"
               "02-00-00-14-01-22,192.0.2.14,,5.0,,,\n"
               "02-00-00-14-01-23,192.0.2.15,fw.rom,5.0,Nope,,\n"
               "02-00-00-14-01-24,192.0.2.16,,,,,WEB2\n"
               "02-00-00-14-01-25,192.0.2.17,,,,,,extra\n"
               "02:00:00:14:01:26, 192.0.2.18 ,,,,pages.wpk,\n"
               "02-00-00-14-01-27,192.0.2.19,,,,.,\n"
               "02-00-00-14-01-28,192.0.2.010,,,,,\n"
               "02-00-00-14-01-29,192.0.2.255,,,,,\n"
               "02-00-00-14-01-2a,127.0.0.20,,,,,\n"
               "\x1b[31m\x07,192.0.2.0,,,,,\n"
               "02-00-00-14-01-2b,192.0.2.21," +
               QByteArray(100000, '.') + ",5.0,,,\n"
        << QStringList{"3:hardware_address \"02-00-00-14-01-1\" is not six hex pairs",
                       "4:ip \"192.0.2.300\" is not an IPv4 address: number 4 (300) is above",
                       "5:hardware_address \"02-00-00-14-01-1g\"",
                       "5:ip \"1.2.3.4; reboot\"",
                       "6:hardware_address 02-00-00-14-01-18 is already on line 2",
                       "6:ip 192.0.2.10 is already on line 2",
                       "7:firmware: no such file",
                       "8:firmware without firmware_version",
                       "9:firmware_version without firmware",
                       "10:destination \"Nope\" is not in the product infobase",
                       "11:web_destination without web_pages",
                       "12:more fields than the header has columns",
                       "14:is not a file",
                       "15:number 4 (010) has leading zeros",
                       "16:broadcast address of 192.0.2.0/24",
                       "17:loopback",
                       "18:hardware_address \".[31m.\"",
                       "18:network address of 192.0.2.0/24",
                       "19:firmware: no such file"};
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
                     found[i].contains(problems[i].section(':', 1)) && found[i].size() < 500,
                 qPrintable(found[i].left(500) + " / " + problems[i]));
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

void CommissionCliTest::ctrlCLetsTheRunningDeviceFinishAndStartsNoMore()
{
    // A plan may not name loopback addresses: the device is in a namespace.
    NETNS_OR_SKIP(ns, why);
    QVERIFY2(ns.startSimulator({"--query-port", "30718", "--first-address", ns.address(100),
                                "--hardware-address", "02-00-00-04-0B-0C"},
                               &why),
             qPrintable(why));
    TestContext tc;
    tc.context.ports.query = 30718;
    // As a spreadsheet saves it, with a byte order mark.
    tc.writeFile("plan.csv", QStringLiteral("\uFEFFhardware_address,ip\n"
                                            "02-00-00-04-0B-0C,%1\n"
                                            "02-00-00-04-0B-0D,%2\n"
                                            "02-00-00-04-0B-0E,%3\n")
                                 .arg(ns.address(100), ns.address(11), ns.address(12))
                                 .toUtf8());
    struct sigaction before = {};
    ::sigaction(SIGINT, nullptr, &before);
    // Raised once the first device has started (posted work runs before timers).
    QTimer::singleShot(0, [] { std::raise(SIGINT); });
    const CliResult result = runCli(tc.context, {"--json", "commission", tc.path("plan.csv"),
                                                 "--jobs", "1", "--file", tc.path("devices.txt")});
    QCOMPARE(result.exitCode, 1);
    const QJsonObject document = result.json();
    QCOMPARE(document.value("interrupted").toBool(), true);
    const QJsonArray rows = document.value("rows").toArray();
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0]["outcome"].toString(), "already done");
    QCOMPARE(rows[1]["outcome"].toString(), "not started");
    QCOMPARE(rows[2]["outcome"].toString(), "not started");

    const ReadReport report = readReport(tc.path("plan-report.csv"));
    QCOMPARE(report.error, QString());
    QCOMPARE(report.rows.size(), 3);
    QCOMPARE(report.rows[0].outcome, "already done");
    QCOMPARE(report.rows[0].hardwareAddressRead, "02-00-00-04-0B-0C");
    QCOMPARE(report.rows[2].outcome, "not started");
    QVERIFY(tc.readFile("devices.txt")
                .startsWith(
                    QStringLiteral("\"%1\",\"02-00-00-04-0B-0C\"").arg(ns.address(100)).toUtf8()));

    // Ctrl-C does what it did before once the run is over.
    struct sigaction after = {};
    ::sigaction(SIGINT, nullptr, &after);
    QVERIFY(after.sa_handler == before.sa_handler);
}

QObject *createCommissionCliTest()
{
    return new CommissionCliTest;
}

#include "CommissionCliTest.moc"
