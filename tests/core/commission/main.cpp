// Commissioning in core: the CSV text of plans and reports, which rows a
// resumed run carries over, the report file, one device's steps and the run
// that schedules devices side by side (against the simulated device on
// loopback addresses).
#include "RandomBytes.h"
#include "SimulatorFixture.h"
#include "TestContext.h"
#include "core/commission/CommissionRun.h"
#include "core/commission/CsvText.h"
#include "core/commission/DeviceListExport.h"
#include "core/commission/ResumeMatch.h"
#include "core/device/IpSetupPacer.h"
#include "core/host/IcmpAvailability.h"
#include "core/session/EngineOptions.h"
#include "core/settings/ProgramPaths.h"
#include "core/settings/SettingsRecord.h"
#include "core/support/Failure.h"
#include "core/support/ReplacedFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class CommissionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void csvFieldsSurviveTheRoundTrip_data();
    void csvFieldsSurviveTheRoundTrip();
    void csvRecordsKeepTheirLines();
    void resumeCountsOnlyRowsWithEveryColumnEqual_data();
    void resumeCountsOnlyRowsWithEveryColumnEqual();
    void reportReplacesWhatIsAtItsPathThenGrows();
    void planRefusesRowsThatEndAlike_data();
    void planRefusesRowsThatEndAlike();
    void deviceStepsEndAsTheDeviceAnswers_data();
    void deviceStepsEndAsTheDeviceAnswers();
    void devicesBecomeAPlanOnceAddressesAreIn();
    void runKeepsToJobsAndHardwareTails_data();
    void runKeepsToJobsAndHardwareTails();
    void pacerSpacesBroadcastsInOrder_data();
    void pacerSpacesBroadcastsInOrder();
};

void CommissionTest::csvFieldsSurviveTheRoundTrip_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("plain") << QStringList{"02-00-00-14-01-18", "10.0.0.5", ""};
    QTest::newRow("comma and quote") << QStringList{"fw, \"new\".rom", "\"", ","};
    QTest::newRow("line breaks") << QStringList{"a\nb", "c\r\nd", ""};
    QTest::newRow("blanks at the ends") << QStringList{" kept ", "\t", "x"};
    QTest::newRow("no fields but one empty") << QStringList{"", "y"};
}

void CommissionTest::csvFieldsSurviveTheRoundTrip()
{
    QFETCH(QStringList, fields);
    const QString text = csvLine(fields) + csvLine({"next"});
    const CsvText parsed = parseCsv(text);
    QCOMPARE(parsed.error, QString());
    QCOMPARE(parsed.records.size(), 2);
    QCOMPARE(parsed.records[0].fields, fields);
    QCOMPARE(parsed.records[1].fields, QStringList{"next"});
}

void CommissionTest::csvRecordsKeepTheirLines()
{
    // CRLF, a blank line, unquoted blanks trimmed, a field over two lines.
    const CsvText parsed = parseCsv("h1,h2\r\n\r\n a , b \r\n\"x\ny\",z\nlast");
    QCOMPARE(parsed.records.size(), 4);
    QCOMPARE(parsed.records[1].line, 3);
    QCOMPARE(parsed.records[1].fields, (QStringList{"a", "b"}));
    QCOMPARE(parsed.records[2].line, 4);
    QCOMPARE(parsed.records[3].line, 6);
    const CsvText open = parseCsv("h\nok\n\"never\nclosed\n");
    QCOMPARE(open.errorLine, 3);
}

void CommissionTest::resumeCountsOnlyRowsWithEveryColumnEqual_data()
{
    QTest::addColumn<QString>("column"); // of the earlier report's row, as a file holds it
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("carried");
    const QString digest(64, u'a');
    QTest::newRow("every column equal") << "failure"
                                        << "" << true;
    QTest::newRow("hardware address in lower case, with colons") << "hardware_address"
                                                                 << "02:00:00:14:01:1f" << true;
    QTest::newRow("address with a leading zero") << "ip"
                                                 << "10.0.0.05" << true;
    QTest::newRow("the image moved to another folder") << "firmware"
                                                       << "/old/fw.rom" << true;
    QTest::newRow("already done") << "outcome"
                                  << "already done" << true;
    QTest::newRow("failed") << "outcome"
                            << "failed at assign" << false;
    QTest::newRow("interrupted") << "outcome"
                                 << "interrupted" << false;
    QTest::newRow("another device") << "hardware_address"
                                    << "02-00-00-14-01-20" << false;
    QTest::newRow("another address") << "ip"
                                     << "10.0.0.6" << false;
    QTest::newRow("no address") << "ip"
                                << "" << false;
    QTest::newRow("another image") << "firmware"
                                   << "/plan/other.rom" << false;
    QTest::newRow("image changed since") << "firmware_sha256" << QString(64, u'c') << false;
    QTest::newRow("no digest: a report from before") << "firmware_sha256"
                                                     << "" << false;
    QTest::newRow("without the firmware the plan now has") << "firmware"
                                                           << "" << false;
    QTest::newRow("another planned version") << "firmware_version_planned"
                                             << "5.1" << false;
    QTest::newRow("another destination") << "destination"
                                         << "Other" << false;
    QTest::newRow("web pages changed since") << "web_pages_sha256" << digest << false;
    QTest::newRow("another web directory") << "web_destination"
                                           << "WEB2" << false;
}

void CommissionTest::resumeCountsOnlyRowsWithEveryColumnEqual()
{
    QFETCH(QString, column);
    QFETCH(QString, value);
    QFETCH(bool, carried);
    PlanRow row;
    row.line = 4;
    row.hardwareAddress = "02-00-00-14-01-1F";
    row.ip = "10.0.0.5";
    row.firmware = "/plan/fw.rom";
    row.firmwareVersion = "5.0";
    row.firmwareDestination = "Standard";
    row.webPages = "/plan/pages.wpk";
    row.webDestination = "WEB6";
    const ReportRow planned =
        plannedRow(row, {{row.firmware, QString(64, u'f')}, {row.webPages, QString(64, u'b')}});
    QCOMPARE(planned.outcome, "not started");

    // The earlier run's row as its report holds it, one column changed.
    ReportRow done = planned;
    done.outcome = "done";
    QStringList fields = parseCsv(reportLine(done)).records.first().fields;
    const qsizetype at = reportColumns().indexOf(column);
    QVERIFY(at >= 0);
    fields[at] = value;
    QTemporaryDir folder;
    QFile file(folder.filePath("report.csv"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write((reportHeader() + csvLine(fields)).toUtf8());
    file.close();
    const ReadReport earlier = readReport(file.fileName());
    QCOMPARE(earlier.error, QString());

    const ReportRow *found = ResumeMatch(earlier.rows).doneRowFor(planned);
    QCOMPARE(found != nullptr, carried);
}

void CommissionTest::reportReplacesWhatIsAtItsPathThenGrows()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("report.csv");
    const QString elsewhere = folder.filePath("plan.csv");
    QFile plan(elsewhere);
    QVERIFY(plan.open(QIODevice::WriteOnly) && plan.write("plan") == 4);
    plan.close();
    QVERIFY(QFile::link(elsewhere, path));

    ReplacedFile report;
    report.replace(path, "header\n");
    report.append("row 1\n");
    QVERIFY(!QFileInfo(path).isSymLink());
    QFile kept(elsewhere);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("plan"));
    // Rows go to the file made, even when the path names another by then.
    QVERIFY(QFile::rename(path, folder.filePath("moved.csv")));
    QVERIFY(QFile::link(elsewhere, path));
    report.append("row 2\n");
    QFile moved(folder.filePath("moved.csv"));
    QVERIFY(moved.open(QIODevice::ReadOnly));
    QCOMPARE(moved.readAll(), QByteArray("header\nrow 1\nrow 2\n"));
    // Nothing is left beside it; a folder that is not there is a failure.
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
    QVERIFY_THROWS_EXCEPTION(Failure, report.replace(folder.filePath("none/r.csv"), "x"));
}

void CommissionTest::planRefusesRowsThatEndAlike_data()
{
    QTest::addColumn<QString>("second"); // line 3; line 2 is 02-00-00-04-0B-0C
    QTest::addColumn<bool>("refused");
    QTest::newRow("same last two bytes") << "02-00-00-99-0B-0C" << true;
    QTest::newRow("same, written with colons in lower case") << "0a:00:00:04:0b:0c" << true;
    QTest::newRow("the same bytes swapped") << "02-00-00-04-0C-0B" << false;
}

void CommissionTest::planRefusesRowsThatEndAlike()
{
    QFETCH(QString, second);
    QFETCH(bool, refused);
    QTemporaryDir folder;
    const QString path = folder.filePath("plan.csv");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("hardware_address,ip\n02-00-00-04-0B-0C,10.0.0.2\n%1,10.0.0.3\n")
                   .arg(second)
                   .toUtf8());
    file.close();
    const CommissionPlan plan = readCommissionPlan(path, SettingsRecord{}, ProgramPaths{}, false);
    QCOMPARE(plan.rows.size(), refused ? 1 : 2);
    QCOMPARE(plan.problems.size(), refused ? 1 : 0);
    if (!refused)
        return;
    // Both lines and both hardware addresses are named.
    QCOMPARE(plan.problems[0].line, 3);
    for (const QString &named : {normalHardwareAddress(second), QStringLiteral("02-00-00-04-0B-0C"),
                                 QStringLiteral("line 2")})
        QVERIFY2(plan.problems[0].text.contains(named), qPrintable(plan.problems[0].text));
}

void CommissionTest::deviceStepsEndAsTheDeviceAnswers_data()
{
    // The simulated device 02-00-00-04-0B-0C runs firmware 4.10 and 5.0 once it
    // takes a firmware file. The kernel answers pings to every loopback
    // address, so the probe finds the address in use: assign and verify need a
    // segment of their own.
    QTest::addColumn<QString>("trouble");
    QTest::addColumn<QString>("version"); // the row's firmware brings it; no firmware when empty
    QTest::addColumn<bool>("webPages");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QString>("failure"); // a part of it
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("recorded"); // the version read last; no record when empty
    const auto row = [](const char *name, const char *trouble, const char *version, bool web,
                        const char *outcome, const char *failure, const char *steps,
                        const char *recorded) {
        QTest::newRow(name) << QString(trouble) << QString(version) << web << QString(outcome)
                            << QString(failure) << QString(steps) << QString(recorded);
    };
    row("already at its address", "", "", false, "already done", "", "probe record", "4.10");
    row("firmware uploaded, version read back", "", "5.0", false, "done", "",
        "probe firmware record", "5.0");
    row("firmware already at the version", "", "4.10", false, "already done", "", "probe record",
        "4.10");
    row("web pages", "", "", true, "done", "", "probe web pages record", "4.10");
    row("another hardware address read", "another device", "5.0", false, "failed at probe",
        "in use by HW 02-00-00-04-0B-0D", "probe", "");
    row("a host there that is no device", "no device", "", false, "failed at probe",
        "by a host that does not answer the device query", "probe", "");
    row("file refused with a TFTP error", "refuses", "5.0", false, "failed at firmware",
        "refused the file: TFTP error 0", "probe firmware", "");
    row("no reply after the upload", "silent after an upgrade", "5.0", false, "failed at firmware",
        "after the upload, no reply to the device query", "probe firmware", "");
    row("version unchanged by the upload", "keeps its version", "5.0", false, "failed at firmware",
        "firmware version 4.10 after the upgrade", "probe firmware", "");
    row("data file cannot be written", "no data file folder", "", false, "failed at record",
        "the device data file", "probe record", "");
}

void CommissionTest::deviceStepsEndAsTheDeviceAnswers()
{
    QFETCH(QString, trouble);
    QFETCH(QString, version);
    QFETCH(bool, webPages);
    QFETCH(QString, outcome);
    QFETCH(QString, failure);
    QFETCH(QString, steps);
    QFETCH(QString, recorded);
    if (!probeIcmp().usable())
        QSKIP("no ICMP socket can be opened here");
    SimulatorFixture sim;
    sim.options.bindAddress = QHostAddress("127.0.0.7");
    sim.options.fault = trouble == "refuses" ? TftpFault::ErrorPacket : TftpFault::None;
    if (trouble != "keeps its version")
        sim.options.upgradedVersion = std::pair<quint8, quint8>{0x05, 0x00};
    sim.options.silentAfterUpgrade = trouble == "silent after an upgrade";
    if (trouble == "no device") // only the kernel's echo replies answer there
        sim.options.replyMode = QueryReplyMode::None;
    if (trouble == "another device")
        sim.options.identity.hardwareAddress = QByteArray::fromHex("020000040b0d");
    QVERIFY(sim.start());
    QTemporaryDir folder;
    const QByteArray image = randomBytes(1500, 21); // ends in a short block: the device takes it
    QFile file(folder.filePath("image"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(image) == image.size());
    file.close();
    TestContext tc;
    sim.pointAt(tc.context);
    CommissionSettings settings = commissionSettings(
        tc.context, folder.filePath(trouble == "no data file folder" ? "none/d.txt" : "d.txt"));
    settings.tftp.timeoutMs = 400;
    PlanRow row;
    row.hardwareAddress = "02-00-00-04-0B-0C";
    row.ip = "127.0.0.7";
    row.firmware = version.isEmpty() ? QString() : file.fileName();
    row.firmwareVersion = version;
    row.firmwareDeviceFile = "3Q";
    row.webPages = webPages ? file.fileName() : QString();
    row.webDestination = "WEB1";

    DeviceCommissioning device(row, settings);
    QStringList started;
    connect(&device, &DeviceCommissioning::stepStarted, this,
            [&](CommissionStep step) { started.append(stepName(step)); });
    QSignalSpy finished(&device, &DeviceCommissioning::finished);
    device.start();
    QVERIFY(finished.wait(10000));
    QCOMPARE(outcomeText(device.result()), outcome);
    const QString &why = device.result().failure;
    QVERIFY2(failure.isEmpty() ? why.isEmpty() : why.contains(failure), qPrintable(why));
    QCOMPARE(started.join(' '), steps);
    // What was sent arrived whole; nothing went that the row did not ask for.
    const bool taken = started.contains("firmware") && sim.options.fault == TftpFault::None;
    QCOMPARE(sim.storedFile("3Q"), taken ? image : QByteArray());
    QCOMPARE(sim.storedFile("WEB1"), webPages ? image : QByteArray());
    // Only a device that is done is recorded, as it was read last.
    QFile data(settings.dataFile);
    const QByteArray records = data.open(QIODevice::ReadOnly) ? data.readAll() : QByteArray();
    QCOMPARE(records.count('\n'), recorded.isEmpty() ? 0 : 1);
    QVERIFY2(recorded.isEmpty() || records.startsWith(QStringLiteral("\"127.0.0.7\",\"%1\",\"%2\",")
                                                          .arg(row.hardwareAddress, recorded)
                                                          .toUtf8()),
             records.constData());
}

void CommissionTest::devicesBecomeAPlanOnceAddressesAreIn()
{
    QList<ListedDevice> devices;
    for (const char *hardware : {"02-00-00-04-0B-0C", "02-00-00-04-0B-0D", "02-00-00-05-00-01"}) {
        ListedDevice device;
        device.device.address = QHostAddress("198.18.0.2");
        device.device.identity = {hardware, "4.10", "\",", "Type", 30};
        device.device.interfaces = {"eth1"};
        devices.append(device);
    }
    // The list keeps every text whole, a device's quote and comma too.
    const CsvText list = parseCsv(QString::fromUtf8(deviceListCsv(devices)));
    QCOMPARE(list.records.size(), 4);
    QCOMPARE(list.records[0].fields, deviceListTitles());
    QCOMPARE(list.records[3].fields, deviceListFields(devices[2]));

    // Each device a row of the plan, its new address to be filled in.
    QTemporaryDir folder;
    const QString path = folder.filePath("plan.csv");
    const FileUse target{"the plan", path, FileAccess::Write};
    const CsvText made = parseCsv(QString::fromUtf8(planTemplateCsv(devices)));
    QCOMPARE(made.records.size(), 4);
    QString filled = csvLine(made.records[0].fields);
    for (qsizetype i = 1; i < made.records.size(); ++i) {
        QStringList row = made.records[i].fields;
        QCOMPARE(row.join(QString()), devices[i - 1].device.identity.hardwareAddress);
        row[planColumns().indexOf("ip")] = QStringLiteral("198.18.0.%1").arg(10 + i);
        filled += csvLine(row);
    }
    for (const bool addressed : {true, false}) {
        writeExport(target, {}, addressed ? filled.toUtf8() : planTemplateCsv(devices));
        const CommissionPlan plan =
            readCommissionPlan(path, SettingsRecord{}, ProgramPaths{}, false);
        QStringList problems;
        for (const PlanProblem &problem : plan.problems)
            problems.append(problem.text);
        QCOMPARE(problems.size(), addressed ? 0 : 3);
        QCOMPARE(plan.rows.size(), addressed ? 3 : 0);
        if (addressed)
            QCOMPARE(plan.rows[2].ip, QStringLiteral("198.18.0.13"));
    }
    // Nor does an export land on a file the run reads.
    const QByteArray kept = planTemplateCsv(devices);
    QVERIFY_THROWS_EXCEPTION(Failure, writeExport({"the list", path, FileAccess::Write},
                                                  {{"the settings file", path}}, "x"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), kept);
}

void CommissionTest::runKeepsToJobsAndHardwareTails_data()
{
    QTest::addColumn<int>("jobs");
    QTest::addColumn<int>("most");          // running at once, at the peak
    QTest::addColumn<QStringList>("first"); // the rows started before any ends
    QTest::newRow("two at a time") << 2 << 2 << QStringList{"start 0", "start 2"};
    // Rows 1 and 4 wait for the rows they share an ending or address with.
    QTest::newRow("as many as the plan allows")
        << Limits{}.commissionJobs << 3 << QStringList{"start 0", "start 2", "start 3"};
}

void CommissionTest::runKeepsToJobsAndHardwareTails()
{
    QFETCH(int, jobs);
    QFETCH(int, most);
    QFETCH(QStringList, first);
    if (!probeIcmp().usable())
        QSKIP("no ICMP socket can be opened here");
    SimulatorFixture sim; // 02-00-00-04-0B-0C at every address
    sim.options.bindAddress = QHostAddress::AnyIPv4;
    QVERIFY(sim.start());
    TestContext tc;
    sim.pointAt(tc.context);
    const CommissionSettings settings =
        commissionSettings(tc.context, tc.path(QStringLiteral("devices.txt")));
    const auto row = [](int line, const char *hardware, const char *ip) {
        PlanRow r;
        r.line = line;
        r.hardwareAddress = hardware;
        r.ip = ip;
        r.address = QHostAddress(r.ip).toIPv4Address();
        return r;
    };
    // Row 1 shares row 0's last two bytes, row 4 row 2's address.
    const QList<PlanRow> rows = {
        row(2, "02-00-00-04-0B-0C", "127.0.0.2"), row(3, "02-00-00-99-0B-0C", "127.0.0.3"),
        row(4, "02-00-00-04-0B-0D", "127.0.0.4"), row(5, "02-00-00-04-0B-0E", "127.0.0.5"),
        row(6, "02-00-00-04-0B-0F", "127.0.0.4")};
    CommissionRun run(rows, settings, jobs);
    QStringList events;
    int peak = 0;
    QList<CommissionResult> results(rows.size());
    connect(&run, &CommissionRun::rowStarted, this, [&](int index) {
        events.append(QStringLiteral("start %1").arg(index));
        peak = qMax(peak, run.running());
    });
    connect(&run, &CommissionRun::rowFinished, this,
            [&](int index, const CommissionResult &result) {
                events.append(QStringLiteral("end %1").arg(index));
                results[index] = result;
            });
    bool finished = false;
    connect(&run, &CommissionRun::finished, this, [&] { finished = true; });
    run.start();
    QTRY_VERIFY_WITH_TIMEOUT(finished, 20000);

    QCOMPARE(peak, most);
    QCOMPARE(events.size(), 10);
    QCOMPARE(events.mid(0, first.size()), first);
    QVERIFY2(events.indexOf("start 1") > events.indexOf("end 0"), qPrintable(events.join(", ")));
    QVERIFY2(events.indexOf("start 4") > events.indexOf("end 2"), qPrintable(events.join(", ")));
    QCOMPARE(outcomeText(results[0]), "already done");
    for (int i : {1, 2, 3, 4}) {
        QCOMPARE(outcomeText(results[i]), "failed at probe");
        QCOMPARE(results[i].failure, "address in use by HW 02-00-00-04-0B-0C");
    }
}

void CommissionTest::pacerSpacesBroadcastsInOrder_data()
{
    QTest::addColumn<int>("perSecond"); // 0: no pacing
    QTest::addColumn<int>("destroyed"); // whose receiver goes before its turn; -1: none
    QTest::newRow("the run's rate") << Limits{}.ipSetupPerSecond << -1;
    QTest::newRow("a destroyed receiver skipped") << 100 << 2;
    QTest::newRow("the last receiver destroyed") << 100 << 4;
    QTest::newRow("no pacing") << 0 << -1;
}

void CommissionTest::pacerSpacesBroadcastsInOrder()
{
    QFETCH(int, perSecond);
    QFETCH(int, destroyed);
    IpSetupPacer pacer(perSecond);
    QObject owner;
    QList<QObject *> receivers;
    QList<int> sent, expected;
    QList<qint64> sentAtNs;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 5; ++i) {
        receivers.append(new QObject(&owner));
        pacer.enqueue(receivers[i], [&, i] {
            sent.append(i);
            sentAtNs.append(clock.nsecsElapsed());
        });
        if (i != destroyed)
            expected.append(i);
    }
    QCOMPARE(sent.size(), perSecond > 0 ? 1 : 5); // the others from the event loop
    if (destroyed >= 0)
        delete receivers[destroyed];
    QTRY_COMPARE_WITH_TIMEOUT(sent, expected, 5000);
    QCOMPARE(pacer.waiting(), 0);
    // Half a millisecond for the clocks read a moment apart.
    const qint64 spacingNs = perSecond > 0 ? 1'000'000'000 / perSecond - 500'000 : 0;
    for (qsizetype i = 1; i < sentAtNs.size(); ++i)
        QVERIFY2(sentAtNs[i] - sentAtNs[i - 1] >= spacingNs, qPrintable(QString::number(i)));
}

QTEST_GUILESS_MAIN(CommissionTest)
#include "main.moc"
