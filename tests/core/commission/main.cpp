// Commissioning in core: the CSV text of plans and reports, and the run that
// schedules devices side by side (against a simulated device that answers at
// every loopback address).
#include "SimulatorFixture.h"
#include "core/commission/CommissionRun.h"
#include "core/commission/CsvText.h"
#include "core/net/IcmpAvailability.h"
#include "core/settings/ProgramPaths.h"
#include "core/settings/SettingsRecord.h"

#include <QTemporaryDir>
#include <QtTest>

class CommissionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void csvFieldsSurviveTheRoundTrip_data();
    void csvFieldsSurviveTheRoundTrip();
    void csvRecordsKeepTheirLines();
    void planRefusesRowsThatEndAlike_data();
    void planRefusesRowsThatEndAlike();
    void runKeepsToJobsAndHardwareTails();
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

void CommissionTest::runKeepsToJobsAndHardwareTails()
{
    if (!probeIcmp().usable())
        QSKIP("no ICMP socket can be opened here");
    SimulatorFixture sim; // 02-00-00-04-0B-0C at every address
    sim.options.bindAddress = QHostAddress::AnyIPv4;
    QVERIFY(sim.start());
    QTemporaryDir folder;
    CommissionSettings settings;
    settings.queryPort = sim.queryPort();
    settings.queryTimeoutMs = 400;
    settings.pingFirstMs = 200;
    settings.pingSecondMs = 300;
    settings.dataFile = folder.filePath("devices.txt");
    const auto row = [](int line, const char *hardware, const char *ip) {
        PlanRow r;
        r.line = line;
        r.hardwareAddress = hardware;
        r.ip = ip;
        return r;
    };
    // Row 1 shares row 0's last two bytes: it must wait for row 0.
    const QList<PlanRow> rows = {
        row(2, "02-00-00-04-0B-0C", "127.0.0.2"), row(3, "02-00-00-99-0B-0C", "127.0.0.3"),
        row(4, "02-00-00-04-0B-0D", "127.0.0.4"), row(5, "02-00-00-04-0B-0E", "127.0.0.5")};
    CommissionRun run(rows, settings, 2);
    QStringList events;
    int most = 0;
    QList<CommissionResult> results(rows.size());
    connect(&run, &CommissionRun::rowStarted, this, [&](int index) {
        events.append(QStringLiteral("start %1").arg(index));
        most = qMax(most, run.running());
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

    QCOMPARE(most, 2);
    QCOMPARE(events.size(), 8);
    QCOMPARE(events.mid(0, 2), (QStringList{"start 0", "start 2"}));
    QVERIFY2(events.indexOf("start 1") > events.indexOf("end 0"), qPrintable(events.join(", ")));
    QCOMPARE(outcomeText(results[0]), "already done");
    for (int i : {1, 2, 3}) {
        QCOMPARE(outcomeText(results[i]), "failed at probe");
        QCOMPARE(results[i].failure, "address in use by HW 02-00-00-04-0B-0C");
    }
}

QTEST_GUILESS_MAIN(CommissionTest)
#include "main.moc"
