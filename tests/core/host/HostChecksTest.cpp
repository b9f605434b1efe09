#include "core/host/FirewallRules.h"
#include "core/host/LocalInterfaces.h"

#include <QtTest>

// This host as the device tools see it: which interfaces a broadcast goes
// out of, and which firewall rules stop the device traffic.
class HostChecksTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void broadcastInterfaces_data();
    void broadcastInterfaces();
    void droppingRules_data();
    void droppingRules();
};

namespace {
LocalInterface interface(const char *name, bool up, bool loopback, bool broadcast,
                         const char *address)
{
    LocalInterface i{QString::fromLatin1(name), 0, up, loopback, broadcast, {}};
    if (*address)
        i.ipv4.append({QHostAddress(QString::fromLatin1(address)), 24, QHostAddress()});
    return i;
}
} // namespace

void HostChecksTest::broadcastInterfaces_data()
{
    QTest::addColumn<QStringList>("named");
    QTest::addColumn<QStringList>("chosen");
    QTest::addColumn<QString>("error");
    QTest::newRow("every usable one") << QStringList{} << QStringList{"eth0", "eth3"} << "";
    QTest::newRow("named") << QStringList{"eth3"} << QStringList{"eth3"} << "";
    QTest::newRow("named twice") << QStringList{"eth0", "eth0"} << QStringList{"eth0"} << "";
    QTest::newRow("loopback named") << QStringList{"lo"} << QStringList{"lo"} << "";
    QTest::newRow("down") << QStringList{"eth1"} << QStringList{} << "Interface eth1 is down";
    QTest::newRow("no broadcast") << QStringList{"wg0"} << QStringList{}
                                  << "Interface wg0 cannot broadcast";
    QTest::newRow("no IPv4") << QStringList{"eth2"} << QStringList{}
                             << "Interface eth2 has no IPv4 address";
    QTest::newRow("unknown") << QStringList{"eth0", "nope"} << QStringList{}
                             << "There is no interface nope";
}

void HostChecksTest::broadcastInterfaces()
{
    QFETCH(QStringList, named);
    QFETCH(QStringList, chosen);
    QFETCH(QString, error);
    const QList<LocalInterface> all = {
        interface("lo", true, true, true, "127.0.0.1"),
        interface("eth0", true, false, true, "10.0.0.2"),
        interface("eth1", false, false, true, "10.0.1.2"),
        interface("eth2", true, false, true, ""),
        interface("wg0", true, false, false, "10.0.3.2"),
        interface("eth3", true, false, true, "10.0.4.2"),
    };
    const InterfaceChoice choice = chooseBroadcastInterfaces(all, named);
    QCOMPARE(choice.error, error);
    QStringList names;
    for (const LocalInterface &i : choice.chosen)
        names.append(i.name);
    QCOMPARE(names, chosen);
    // With nothing usable, the error says so.
    QVERIFY(!chooseBroadcastInterfaces({all[0], all[2]}, {}).error.isEmpty());
}

void HostChecksTest::droppingRules_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QString>("what"); // empty: not reported

    const auto row = [](const char *name, const char *rule, const char *what) {
        QTest::newRow(name) << QString(rule) << QString(what);
    };
    row("query port", "udp dport 30718 drop", "drops UDP 30718");
    row("from the device", "udp sport 30718 counter packets 3 bytes 90 drop", "drops UDP 30718");
    row("set", "udp dport { 53, 69 } reject", "drops UDP 69");
    row("range, any transport", "meta l4proto { tcp, udp } th dport 60-80 drop", "drops UDP 69");
    row("service name", "udp dport tftp drop", "drops UDP 69");
    row("negated: every other port", "udp dport != 53 drop", "drops UDP 30718 and 69");
    row("negated: ours kept", "udp dport != { 69, 30718 } drop", "");
    row("another port", "udp dport 53 drop", "");
    row("tcp", "tcp dport 69 drop", "");
    row("all udp", "ip protocol udp reject with icmp type port-unreachable", "drops all UDP");
    row("everything", "counter packets 0 bytes 0 drop", "drops everything");
    row("some addresses only", "ip saddr 10.0.0.0/8 drop", "");
    row("accepted", "udp dport 30718 accept", "");
    row("jump", "jump drop_chain", "");
    row("accepted, drop in its comment", "udp dport 30718 accept comment \"never drop the query\"",
        "");
    row("logged, then accepted", "udp dport 69 log prefix \"reject \" accept", "");
    row("comment names no address", "udp dport 69 drop comment \"saddr tcp ct\"", "drops UDP 69");
    row("brace in a comment", "udp dport 69 drop comment \"{ tftp\"", "drops UDP 69");
    row("policy drop in a comment", "type filter hook input priority 0; comment \"policy drop\"",
        "");
    row("braces join no words", "udp dport 69 dr{ 1 }op accept", "");
    // Rows of several lines: the last is the rule reported.
    row("set elements over two lines", "udp dport { 53,\n\t\t 54 } accept\nudp dport 69 drop",
        "drops UDP 69");
    row("a table inside a chain is none", "table ip inner {\n}\nudp dport 69 drop", "drops UDP 69");
}

void HostChecksTest::droppingRules()
{
    QFETCH(QString, rule);
    QFETCH(QString, what);
    const QString ruleset =
        QStringLiteral("table inet filter {\n"
                       "\tset blocked {\n\t\ttype inet_service\n"
                       "\t\telements = { 69, 30718 }\n\t}\n"
                       "\tchain input {\n"
                       "\t\ttype filter hook input priority filter; policy accept;\n"
                       "\t\tct state established,related accept\n"
                       "\t\t%1\n"
                       "\t}\n"
                       "}\n")
            .arg(rule);
    const QList<FirewallFinding> findings = findDroppingRules(ruleset, {30718, 69});
    if (what.isEmpty()) {
        QVERIFY(findings.isEmpty());
        return;
    }
    QCOMPARE(findings.size(), 1);
    QCOMPARE(findings[0].what, what);
    QCOMPARE(findings[0].table, "inet filter");
    QCOMPARE(findings[0].chain, "input");
    QCOMPARE(findings[0].rule, rule.section('\n', -1));

    // A base chain that drops by default is reported as such.
    const QList<FirewallFinding> policy =
        findDroppingRules("table ip t {\n chain output {\n  type filter hook output priority 0; "
                          "policy drop;\n }\n}\n",
                          {69});
    QCOMPARE(policy.size(), 1);
    QCOMPARE(policy[0].what, "drops by default (policy)");
}

QObject *createHostChecksTest()
{
    return new HostChecksTest;
}

#include "HostChecksTest.moc"
