#include "core/host/Diagnosis.h"
#include "core/session/AppContext.h"

#include <QtTest>

// What the doctor concludes from this host's interfaces and the answers it got.
class DiagnosisTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void newAddressFindings_data();
    void newAddressFindings();
    void deviceFindings_data();
    void deviceFindings();
    void noIcmpSocketNamesTheSysctl();
};

namespace {

QList<LocalInterface> host()
{
    auto entry = [](const char *address, int prefix, const char *broadcast) {
        return InterfaceAddress{QHostAddress(address), prefix, QHostAddress(broadcast)};
    };
    return {
        {"lo", 1, true, true, false, {entry("127.0.0.1", 8, "")}},
        {"eth0", 2, true, false, true, {entry("198.18.5.2", 24, "198.18.5.255")}},
        {"wide", 3, true, false, true, {entry("10.1.2.3", 16, "10.1.255.255")}},
        {"narrow", 4, true, false, true, {entry("172.16.0.10", 25, "172.16.0.127")}},
    };
}

QStringList summarise(const QList<Diagnosis::Finding> &findings)
{
    QStringList lines;
    for (const Diagnosis::Finding &f : findings)
        lines.append(Diagnosis::severityName(f.severity) + QLatin1Char(' ') + f.text);
    return lines;
}

// Each finding's severity and a fragment of its text, in order.
void compareFindings(const QStringList &actual, const QStringList &expected)
{
    QCOMPARE(actual.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const QString severity = expected[i].section(QLatin1Char(' '), 0, 0);
        const QString fragment = expected[i].section(QLatin1Char(' '), 1);
        QVERIFY2(actual[i].startsWith(severity + QLatin1Char(' ')) && actual[i].contains(fragment),
                 qPrintable(actual[i]));
    }
}

std::optional<bool> tri(int value)
{
    return value < 0 ? std::nullopt : std::optional<bool>(value == 1);
}

} // namespace

void DiagnosisTest::newAddressFindings_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("answersPing"); // -1: could not ping
    QTest::addColumn<QStringList>("findings");

    const auto row = [](const char *name, const char *address, int ping,
                        const QStringList &findings) {
        QTest::newRow(name) << QString(address) << ping << findings;
    };
    row("free, in a /24", "198.18.5.50", 0,
        {"ok lies in 198.18.5.0/24 on eth0; the IP-SETUP broadcast goes to 198.18.5.255",
         "ok Nothing answers"});
    row("in use", "198.18.5.50", 1, {"ok 198.18.5.0/24", "problem already answers a ping"});
    row("not pinged", "198.18.5.50", -1, {"ok 198.18.5.0/24", "warning could not be checked"});
    row("in no subnet", "198.51.100.7", -1,
        {"problem lies in no local subnet: the IP-SETUP broadcast for it (to 198.51.100.255) "
         "would leave by the default route"});
    row("x.y.z.255 is no broadcast in a /16", "10.1.2.40", 0,
        {"problem goes to 10.1.2.255, which in that subnet is an ordinary address",
         "ok Nothing answers"});
    row("x.y.z.255 outside a /25", "172.16.0.20", 0,
        {"problem goes to 172.16.0.255, outside that subnet", "ok Nothing answers"});
    row("this computer's own", "198.18.5.2", 1,
        {"problem an address of this computer", "ok 198.18.5.0/24", "problem already answers"});
}

void DiagnosisTest::newAddressFindings()
{
    QFETCH(QString, address);
    QFETCH(int, answersPing);
    QFETCH(QStringList, findings);
    compareFindings(
        summarise(Diagnosis::newAddress(host(), QHostAddress(address), tri(answersPing))),
        findings);
}

void DiagnosisTest::deviceFindings_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("answersPing");
    QTest::addColumn<int>("answersQuery");
    QTest::addColumn<QStringList>("findings");
    const auto row = [](const char *name, const char *address, int ping, int query,
                        const QStringList &findings) {
        QTest::newRow(name) << QString(address) << ping << query << findings;
    };
    row("answers", "198.18.5.9", 1, 1, {"ok 198.18.5.0/24 on eth0", "ok answers the device query"});
    row("pings only", "198.18.5.9", 1, 0,
        {"ok 198.18.5.0/24", "problem answers pings but not the device query on UDP 30718"});
    row("silent", "198.18.5.9", 0, 0, {"ok 198.18.5.0/24", "problem answers neither"});
    row("no ping possible", "198.18.5.9", -1, 0,
        {"ok 198.18.5.0/24", "problem could not be pinged"});
    row("behind a router", "203.0.113.9", 1, 1,
        {"warning lies in no local subnet", "ok answers the device query"});
}

void DiagnosisTest::deviceFindings()
{
    QFETCH(QString, address);
    QFETCH(int, answersPing);
    QFETCH(int, answersQuery);
    QFETCH(QStringList, findings);
    compareFindings(summarise(Diagnosis::device(host(), QHostAddress(address), DevicePorts().query,
                                                tri(answersPing), tri(answersQuery))),
                    findings);
}

void DiagnosisTest::noIcmpSocketNamesTheSysctl()
{
    IcmpAvailability none;
    none.pingGroupRange = QStringLiteral("1 0");
    const QStringList findings = summarise(Diagnosis::icmp(none));
    QCOMPARE(findings.size(), 1);
    QVERIFY(findings[0].startsWith("problem "));
    QVERIFY(findings[0].contains(IcmpAvailability::sysctlAdvice()));
}

QObject *createDiagnosisTest()
{
    return new DiagnosisTest;
}

#include "DiagnosisTest.moc"
