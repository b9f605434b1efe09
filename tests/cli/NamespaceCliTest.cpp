#include "CliRunner.h"
#include "NetnsFixture.h"
#include "RandomBytes.h"
#include "TestContext.h"

#include "core/commission/CommissionReport.h"
#include "core/host/LocalInterfaces.h"
#include "core/support/SharedMessages.h"

#include <QFile>
#include <QJsonArray>
#include <QtTest>

// cfgutil against simulated devices in network namespaces of the test's own.
// Broadcasts go out of the test's veth ends only (named with --interface) or
// are sent from inside a namespace. Root only.
class NamespaceCliTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void discoverThreeDevicesOnTwoInterfaces();
    void firmwareUploadIsStoredByteIdentical();
    void doctorNamesTheProblems_data();
    void doctorNamesTheProblems();
    void pingEndsAfterNRepliesOrNTimeouts_data();
    void pingEndsAfterNRepliesOrNTimeouts();
    void assignIsProvenByTheQuery_data();
    void assignIsProvenByTheQuery();
    void commissionFiveDevicesThenResume();
    void commissionStopsADeviceAtItsFirstFailure_data();
    void commissionStopsADeviceAtItsFirstFailure();
};

void NamespaceCliTest::discoverThreeDevicesOnTwoInterfaces()
{
    NetnsFixture first;
    NetnsFixture second;
    QString why;
    if (!first.setUp(&why) || !second.setUp(&why))
        QSKIP(qPrintable(why));
    // Two factory-fresh devices share the first namespace's address.
    QVERIFY2(first.startSimulator({"--query-port", "30718", "--devices", "2"}, &why),
             qPrintable(why));
    QVERIFY2(second.startSimulator(
                 {"--query-port", "30718", "--hardware-address", "02-00-00-05-00-01"}, &why),
             qPrintable(why));

    TestContext tc;
    tc.context.ports.query = 30718;
    const QString interfaces = first.hostInterface() + QLatin1Char(',') + second.hostInterface();
    const CliResult result =
        runCli(tc.context, {"--json", "discover", "--interface", interfaces, "--timeout", "1"});
    QCOMPARE(result.exitCode, 0);
    const QJsonObject document = result.json();
    QCOMPARE(undocumentedOrMissing(document, "discover"), QString());

    const QJsonArray devices = document.value("devices").toArray();
    QCOMPARE(devices.size(), 3);
    struct Expected {
        QString address, hardware, interface;
        bool conflict;
    };
    const Expected expected[] = {
        {first.namespaceAddress(), "02-00-00-04-0B-0C", first.hostInterface(), true},
        {first.namespaceAddress(), "02-00-00-04-0B-0D", first.hostInterface(), true},
        {second.namespaceAddress(), "02-00-00-05-00-01", second.hostInterface(), false},
    };
    // Ordered by address: the namespaces' subnets may come in either order.
    for (const Expected &e : expected) {
        const auto found = std::find_if(devices.begin(), devices.end(), [&](const QJsonValue &d) {
            return d.toObject().value("hardwareAddress").toString() == e.hardware;
        });
        QVERIFY2(found != devices.end(), qPrintable(e.hardware));
        const QJsonObject device = found->toObject();
        QCOMPARE(device.value("address").toString(), e.address);
        QCOMPARE(device.value("interfaces").toArray(), QJsonArray{e.interface});
        QCOMPARE(device.value("conflict").toBool(), e.conflict);
        QCOMPARE(device.value("firmwareVersion").toString(), "4.10");
        // Each device hears the subnet broadcast and 255.255.255.255.
        QCOMPARE(device.value("replies").toInt(), 2);
    }
    const QJsonArray conflicts = document.value("conflicts").toArray();
    QCOMPARE(conflicts.size(), 1);
    QCOMPARE(conflicts[0].toObject().value("address").toString(), first.namespaceAddress());
    QCOMPARE(conflicts[0].toObject().value("hardwareAddresses").toArray(),
             (QJsonArray{"02-00-00-04-0B-0C", "02-00-00-04-0B-0D"}));
    QCOMPARE(document.value("interfaces").toArray().size(), 2);

    // Each simulated device keeps its own log lines.
    QVERIFY(first.waitForLog("[02-00-00-04-0B-0D] SEND", 2000));
}

void NamespaceCliTest::firmwareUploadIsStoredByteIdentical()
{
    NETNS_OR_SKIP(ns, why);
    QVERIFY2(ns.startSimulator({}, &why), qPrintable(why));
    TestContext tc; // InfobaseFile NONE: "Standard", device file name "3Q"
    tc.context.ports.tftp = ns.tftpPort();
    const QByteArray image = randomBytes(70 * 1024 + 3, 14);
    tc.writeFile("image.rom", image);

    const CliResult result = runCli(
        tc.context, {"--json", "load-firmware", ns.namespaceAddress(), tc.path("image.rom")});
    QCOMPARE(result.exitCode, 0);
    // Standard error is no terminal here: no progress, no bar.
    QVERIFY2(result.err.isEmpty(), result.err.constData());
    const QJsonObject document = result.json();
    QCOMPARE(document.value("deviceFileName").toString(), "3Q");
    QCOMPARE(document.value("sent").toInteger(), image.size());
    QFile stored(ns.storeFolder() + QStringLiteral("/3Q"));
    QVERIFY(stored.open(QIODevice::ReadOnly));
    QCOMPARE(stored.readAll(), image);
}

void NamespaceCliTest::doctorNamesTheProblems_data()
{
    QTest::addColumn<QStringList>("arguments"); // %1 is the host end of the namespace's pair
    QTest::addColumn<QString>("subnet");
    QTest::addColumn<bool>("answersPing");
    QTest::addColumn<QStringList>("problems");
    // TEST-NET-2: in no subnet of the namespace, so not pinged either.
    QTest::newRow("outside every subnet")
        << QStringList{"--new-address", "198.51.100.7"} << QString() << false
        << QStringList{"lies in no local subnet"};
    QTest::newRow("in use, by something that is no device")
        << QStringList{"--new-address", "%1", "--device", "%1"} << "/24" << true
        << QStringList{"already answers a ping", "answers pings but not the device query"};
}

void NamespaceCliTest::doctorNamesTheProblems()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, subnet);
    QFETCH(bool, answersPing);
    QFETCH(QStringList, problems);
    NETNS_OR_SKIP(ns, why);
    arguments.replaceInStrings("%1", ns.hostAddress());
    const QString address = arguments[1];

    // The doctor sees the namespace's interfaces and pings from inside it.
    const CliResult result = runCliProgram(QStringList{"--json", "doctor"} + arguments, ns.name());
    QCOMPARE(result.exitCode, 1);
    const QJsonObject document = result.json();
    const QJsonObject checked = document.value("newAddress").toObject();
    QCOMPARE(checked.value("address").toString(), address);
    QCOMPARE(checked.value("subnet").toString(),
             subnet.isEmpty() ? QString() : ns.address(0) + subnet);
    QCOMPARE(checked.value("answersPing").toBool(), answersPing);
    QStringList found;
    for (const QJsonValue &finding : document.value("findings").toArray())
        if (finding.toObject().value("severity") == "problem")
            found.append(finding.toObject().value("text").toString());
    QCOMPARE(found.size(), problems.size());
    for (qsizetype i = 0; i < problems.size(); ++i) {
        QVERIFY2(found[i].contains(problems[i]), qPrintable(found[i]));
        QVERIFY(document.value("error").toString().contains(found[i])); // the exit status' reason
    }
}

void NamespaceCliTest::pingEndsAfterNRepliesOrNTimeouts_data()
{
    QTest::addColumn<int>("host");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("line");
    QTest::newRow("answered") << 2 << 0 << " Reply received: bytes= 32, ICMP seq= 2, time=";
    QTest::newRow("silent") << 77 << 1 << "ICMP Request timed out";
}

void NamespaceCliTest::pingEndsAfterNRepliesOrNTimeouts()
{
    QFETCH(int, host);
    QFETCH(int, exitCode);
    QFETCH(QString, line);
    NETNS_OR_SKIP(ns, why);
    TestContext tc; // short ping intervals
    const CliResult result = runCli(tc.context, {"ping", ns.address(host), "-c", "2"});
    QCOMPARE(result.exitCode, exitCode);
    const QStringList lines = QString::fromUtf8(result.out).split('\n');
    QCOMPARE(lines.value(1), " Pinging " + ns.address(host) + " with 32 bytes of data:");
    QCOMPARE(lines.filter(line.section('=', 0, 0)).size(), 2);
    QVERIFY(result.out.contains(line.toUtf8()));
}

void NamespaceCliTest::assignIsProvenByTheQuery_data()
{
    QTest::addColumn<QString>("address"); // %N: host N of the namespace's subnet; 2 is in use
    QTest::addColumn<QString>("hardware");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error"); // a part of it
    const QStringList none;
    const QStringList force{"--force"};
    const QStringList byPing{"--confirm", "ping"};
    QTest::newRow("the device's own") << "%50"
                                      << "02-00-00-14-01-18" << none << 0 << "";
    QTest::newRow("the device's own, confirmed by ping")
        << "%51"
        << "02-00-00-14-01-18" << byPing << 0 << "";
    QTest::newRow("another device's tail")
        << "%50"
        << "02-00-00-14-01-19" << none << 1 << kNoResponseText.simplified();
    QTest::newRow("another device's tail, by ping")
        << "%50"
        << "02-00-00-14-01-19" << byPing << 1 << kNoResponseText.simplified();
    QTest::newRow("another device ends alike")
        << "%50"
        << "02-00-00-99-01-18" << none << 2
        << "02-00-00-99-01-18 ends in the same two bytes as 02-00-00-14-01-18";
    QTest::newRow("an address in use") << "%2"
                                       << "02-00-00-14-01-18" << none << 2 << "--force";
    // A host there would answer pings too: only the query tells.
    QTest::newRow("an address in use, forced")
        << "%2"
        << "02-00-00-14-01-19" << force << 1 << "is 02-00-00-14-01-18, not 02-00-00-14-01-19";
    QTest::newRow("an unknown way to confirm")
        << "%50"
        << "02-00-00-14-01-18" << QStringList{"--confirm", "echo"} << 2 << "query or ping";
    // TEST-NET-2: no interface reaches it.
    QTest::newRow("unreachable") << "198.51.100.7"
                                 << "02-00-00-14-01-18" << force << 3 << "lies in no local subnet";
    // Upper-cased by Unicode rules, "\u00DF" would become "SS" and shift the tail to
    // 00 01: nothing would clash. Its tail is the device's own, on another device.
    QTest::newRow("a letter that upper-cases to two")
        << "%50"
        << "\u00DF2-00-00-14-01-18" << none << 2
        << "ends in the same two bytes as 02-00-00-14-01-18";
}

void NamespaceCliTest::assignIsProvenByTheQuery()
{
    QFETCH(QString, address);
    QFETCH(QString, hardware);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, error);
    NETNS_OR_SKIP(ns, why);
    QVERIFY2(ns.startSimulator({"--query-port", "30718", "--hardware-address", "02-00-00-14-01-18"},
                               &why),
             qPrintable(why));
    TestContext tc; // short ping intervals
    tc.context.ports.query = 30718;
    // This device, at every address, answers the broadcast copy from the
    // namespace's first address: only the copy to the new address counts, and
    // it waits for the neighbour entry that the probe's echo request left.
    tc.context.intervals.assignConfirmMs = 3000;
    if (address.startsWith('%'))
        address = ns.address(address.mid(1).toInt());
    else if (subnetHolding(localInterfaces(), QHostAddress(address)))
        QSKIP("a subnet of this host holds the address: it would be pinged");

    // Lower case is accepted and sent upper-cased, as the dialog does.
    const CliResult result =
        runCli(tc.context, QStringList{"--json", "assign", address, hardware.toLower()} + options);
    QCOMPARE(result.exitCode, exitCode);
    const QJsonObject document = result.json();
    QCOMPARE(undocumentedOrMissing(document, "assign"), QString());
    QCOMPARE(document.value("hardwareAddress").toString(), hardware);
    QVERIFY2(document.value("error").toString().contains(error), result.err.constData());
    QCOMPARE(document.value("confirmed").toBool(), exitCode == 0);
    // Refused: no IP-SETUP went out (00 00 00 FC "IP-SETUP").
    QCOMPARE(ns.simulatorLog().contains("00 00 00 FC 49 50 2D 53 45 54 55 50"), exitCode < 2);
    if (exitCode != 0)
        return;
    QCOMPARE(document.value("holders").toArray(), QJsonArray{hardware});
    const bool pinged = options.contains("ping");
    QCOMPARE(document.value("confirmation").toString(), pinged ? "ping" : "query");
    QCOMPARE(document.value("polls").toInt() > 0, !pinged);
    QCOMPARE(document.value("echoes").toInt() > 0, pinged);
    // The device now answers the query at its new address, from that address.
    const CliResult query = runCli(tc.context, {"--json", "query", address});
    QCOMPARE(query.json().value("hardwareAddress").toString(), "02-00-00-14-01-18");
}

void NamespaceCliTest::commissionFiveDevicesThenResume()
{
    NETNS_OR_SKIP(ns, why);
    // Devices 02-00-00-04-0B-00 to -04 at .100 to .104.
    QVERIFY2(ns.startSimulator({"--query-port", "30718", "--devices", "5", "--first-address",
                                ns.address(100), "--hardware-address", "02-00-00-04-0B-00",
                                "--upgraded-version", "05.00"},
                               &why),
             qPrintable(why));
    TestContext tc; // short ping intervals; firmware goes to "3Q"
    tc.context.ports.query = 30718;
    tc.context.ports.tftp = ns.tftpPort();
    const QByteArray image = randomBytes(5000, 15);
    tc.writeFile("fw.rom", image);
    tc.writeFile("plan.csv", QStringLiteral("hardware_address,ip,firmware,firmware_version\n"
                                            "02-00-00-04-0B-00,%1,,\n"
                                            "02-00-00-04-0B-01,%2,,\n"
                                            "02-00-00-04-0B-77,%3,,\n"
                                            "02-00-00-04-0B-02,%4,fw.rom,5.0\n"
                                            "02-00-00-04-0B-03,%5,,\n")
                                 .arg(ns.address(10), ns.address(104), ns.address(12),
                                      ns.address(13), ns.address(103))
                                 .toUtf8());
    const QStringList command = {"--json",        "commission",           tc.path("plan.csv"),
                                 "--file",        tc.path("devices.txt"), "--report",
                                 tc.path("r.csv")};

    const CliResult first = runCli(tc.context, command, 60000);
    QCOMPARE(first.exitCode, 1);
    struct Expected {
        const char *outcome, *read, *version, *failure;
    };
    const Expected expected[] = {
        {"done", "02-00-00-04-0B-00", "4.10", ""},
        {"failed at probe", "02-00-00-04-0B-04", "4.10", "address in use by HW 02-00-00-04-0B-04"},
        {"failed at assign", "", "", "IP-SETUP sent, not confirmed after"},
        {"done", "02-00-00-04-0B-02", "5.0", ""},
        {"already done", "02-00-00-04-0B-03", "4.10", ""},
    };
    const QJsonArray rows = first.json().value("rows").toArray();
    const ReadReport report = readReport(tc.path("r.csv"));
    QCOMPARE(rows.size(), 5);
    QCOMPARE(report.rows.size(), 5);
    for (int i = 0; i < 5; ++i) {
        const Expected &e = expected[i];
        const ReportRow &row = report.rows[i];
        QCOMPARE(row.line, i + 2);
        QCOMPARE(row.outcome, e.outcome);
        QCOMPARE(row.hardwareAddressRead, e.read);
        QCOMPARE(row.firmwareVersion, e.version);
        QVERIFY2(*e.failure ? row.failure.startsWith(e.failure) : row.failure.isEmpty(),
                 qPrintable(row.outcome + ": " + row.failure));
        QVERIFY(row.seconds.toDouble() >= 0 && !row.seconds.isEmpty());
        QCOMPARE(rows[i]["outcome"].toString(), row.outcome);
        QCOMPARE(rows[i]["failure"].toString(), row.failure);
    }
    QFile stored(ns.storeFolder() + QStringLiteral("/02-00-00-04-0B-02/3Q"));
    QVERIFY(stored.open(QIODevice::ReadOnly));
    QCOMPARE(stored.readAll(), image);
    // The three devices that are done are in the data file, as last read.
    const QByteArray records = tc.readFile("devices.txt");
    QCOMPARE(records.count('\n') + (records.endsWith('\n') ? 0 : 1), 3);
    QVERIFY(records.contains(
        QStringLiteral("\"%1\",\"02-00-00-04-0B-02\",\"5.0\"").arg(ns.address(13)).toUtf8()));

    // Resumed, only the failed rows run again: a done device only answers the
    // queries that look over the whole segment.
    const qsizetype heard = ns.simulatorLog().size();
    const auto probesOfRow3 = [&] { return ns.simulatorLog().count("[02-00-00-04-0B-04] SEND"); };
    const qsizetype probedBefore = probesOfRow3();
    const CliResult second =
        runCli(tc.context, command + QStringList{"--resume", tc.path("r.csv")}, 60000);
    QCOMPARE(second.exitCode, 1);
    const QJsonArray again = second.json().value("rows").toArray();
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(again[i]["outcome"].toString(), QString::fromLatin1(expected[i].outcome));
        QCOMPARE(again[i]["resumed"].toBool(), i == 0 || i >= 3);
    }
    QTRY_VERIFY_WITH_TIMEOUT(probesOfRow3() > probedBefore, 5000); // its log is complete
    const QString since = ns.simulatorLog().mid(heard);
    for (const QString &line : since.split(u'\n'))
        for (const char *done : {"0B-00]", "0B-02]", "0B-03]"})
            QVERIFY2(!line.contains(QLatin1String(done)) ||
                         (line.contains(" SEND port 30718 ") && line.contains(" (30 bytes) ")),
                     qPrintable(line));
    // Nor an IP-SETUP for them: 00 00 00 FC "IP-SETUP" 00 00 then the tail.
    for (const char *tail : {"0B 00", "0B 02", "0B 03"})
        QVERIFY2(!since.contains(QStringLiteral("49 50 2D 53 45 54 55 50 00 00 ") + tail), tail);

    // A row that ends like a device found on the segment, not planned, would
    // move it too: the run is refused before any IP-SETUP.
    tc.writeFile(
        "alike.csv",
        QStringLiteral("hardware_address,ip\n02-00-00-99-0B-03,%1\n").arg(ns.address(30)).toUtf8());
    const qsizetype before = ns.simulatorLog().size();
    const CliResult refused = runCli(tc.context, {"--json", "commission", tc.path("alike.csv"),
                                                  "--file", tc.path("devices.txt")});
    QCOMPARE(refused.exitCode, 2);
    const QJsonObject problem = refused.json().value("problems").toArray().first().toObject();
    QCOMPARE(problem["line"].toInt(), 2);
    for (const char *named : {"02-00-00-99-0B-03", "02-00-00-04-0B-03"})
        QVERIFY2(problem["text"].toString().contains(named),
                 qPrintable(problem["text"].toString()));
    QVERIFY(!ns.simulatorLog().mid(before).contains("49 50 2D 53 45 54 55 50"));
}

void NamespaceCliTest::commissionStopsADeviceAtItsFirstFailure_data()
{
    QTest::addColumn<QStringList>("simulator");
    QTest::addColumn<QString>("row"); // hardware_address,firmware,firmware_version,web_pages
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QString>("failure");
    QTest::newRow("version unchanged by the upgrade")
        << QStringList{} << "02-00-00-04-0B-00,fw.rom,5.0,"
        << "failed at firmware"
        << "firmware version 4.10 after the upgrade, not 5.0";
    QTest::newRow("firmware refused")
        << QStringList{"--fault", "error-packet"} << "02-00-00-04-0B-00,fw.rom,5.0,"
        << "failed at firmware"
        << "the device refused the file: ";
    QTest::newRow("web pages never acknowledged")
        << QStringList{"--fault", "never-ack"} << "02-00-00-04-0B-00,,,pages.wpk"
        << "failed at web pages" << kDownloadTimeoutLine;
    QTest::newRow("no query reply") << QStringList{"--reply", "none"} << "02-00-00-04-0B-00,,,"
                                    << "failed at assign"
                                    << "no reply to the device query at";
}

void NamespaceCliTest::commissionStopsADeviceAtItsFirstFailure()
{
    QFETCH(QStringList, simulator);
    QFETCH(QString, row);
    QFETCH(QString, outcome);
    QFETCH(QString, failure);
    NETNS_OR_SKIP(ns, why);
    QVERIFY2(
        ns.startSimulator(QStringList{"--query-port", "30718", "--first-address", ns.address(100),
                                      "--hardware-address", "02-00-00-04-0B-00"} +
                              simulator,
                          &why),
        qPrintable(why));
    TestContext tc;
    tc.context.ports.query = 30718;
    tc.context.ports.tftp = ns.tftpPort();
    tc.writeFile("fw.rom", randomBytes(1500, 16));
    tc.writeFile("pages.wpk", randomBytes(700, 17));
    const QStringList fields = row.split(',');
    tc.writeFile("plan.csv", QStringLiteral("hardware_address,ip,firmware,firmware_version,"
                                            "web_pages\n%1,%2,%3\n")
                                 .arg(fields[0], ns.address(10), fields.mid(1).join(','))
                                 .toUtf8());
    const CliResult result = runCli(tc.context, {"--json", "commission", tc.path("plan.csv"),
                                                 "--file", tc.path("devices.txt")});
    QCOMPARE(result.exitCode, 1);
    const QJsonObject reported = result.json().value("rows").toArray().first().toObject();
    QCOMPARE(reported["outcome"].toString(), outcome);
    QVERIFY2(reported["failure"].toString().contains(failure),
             qPrintable(reported["failure"].toString()));
    QVERIFY(!QFile::exists(tc.path("devices.txt"))); // nothing recorded
}

QObject *createNamespaceCliTest()
{
    return new NamespaceCliTest;
}

#include "NamespaceCliTest.moc"
