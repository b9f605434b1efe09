#include "DiscoveryTest.h"

#include "core/device/AddressHolders.h"
#include "core/device/Diagnosis.h"
#include "core/device/DiscoveryTally.h"

#include <QTest>

namespace {

// "hh@a.b.c.d/if" (or "hh@a.b.c.d/if/size"): a reply from the device whose
// hardware address ends in hh.
void addReply(DiscoveryTally &tally, const QString &text, qint64 at)
{
    const QStringList parts = text.split(QLatin1Char('/'));
    const QStringList who = parts[0].split(QLatin1Char('@'));
    QByteArray reply = QByteArray(24, '\0') + QByteArray::fromHex("02000004") +
                       QByteArray::fromHex(who[0].toLatin1()).rightJustified(2, '\0');
    reply[7] = 4;
    reply[6] = 0x10;
    if (parts.size() > 2)
        reply = reply.left(parts[2].toInt());
    tally.add(reply, QHostAddress(who[1]), parts[1], at);
}

// "a.b.c.d hh-... if,if replies [conflict]"
QStringList describe(const QList<DiscoveredDevice> &devices)
{
    QStringList lines;
    for (const DiscoveredDevice &d : devices)
        lines.append(QStringLiteral("%1 %2 %3 %4%5")
                         .arg(d.address.toString(), d.identity.hardwareAddress.right(5),
                              d.interfaces.join(QLatin1Char(',')))
                         .arg(d.replies)
                         .arg(d.conflict ? QStringLiteral(" conflict") : QString()));
    return lines;
}

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

void DiscoveryTest::tally_data()
{
    QTest::addColumn<QStringList>("replies");
    QTest::addColumn<QStringList>("devices");
    QTest::addColumn<QStringList>("conflicts");
    QTest::addColumn<int>("ignored");

    QTest::newRow("one reply each")
        << QStringList{"0b0c@10.0.0.5/eth0", "0b0d@10.0.0.6/eth0"}
        << QStringList{"10.0.0.5 0B-0C eth0 1", "10.0.0.6 0B-0D eth0 1"} << QStringList{} << 0;
    QTest::newRow("both broadcasts answered: merged")
        << QStringList{"0b0c@10.0.0.5/eth0", "0b0c@10.0.0.5/eth0"}
        << QStringList{"10.0.0.5 0B-0C eth0 2"} << QStringList{} << 0;
    QTest::newRow("one device heard on two interfaces")
        << QStringList{"0b0c@10.0.0.5/eth0", "0b0c@10.0.0.5/eth1", "0b0c@10.0.0.5/eth0"}
        << QStringList{"10.0.0.5 0B-0C eth0,eth1 3"} << QStringList{} << 0;
    QTest::newRow("two devices, one address")
        << QStringList{"0b0d@192.168.1.50/eth0", "0b0c@192.168.1.50/eth0", "0b0e@192.168.1.7/eth0"}
        << QStringList{"192.168.1.7 0B-0E eth0 1", "192.168.1.50 0B-0C eth0 1 conflict",
                       "192.168.1.50 0B-0D eth0 1 conflict"}
        << QStringList{"192.168.1.50 02-00-00-04-0B-0C 02-00-00-04-0B-0D"} << 0;
    QTest::newRow("short datagrams ignored")
        << QStringList{"0b0c@10.0.0.5/eth0/4", "0b0c@10.0.0.5/eth0/29", "0b0d@10.0.0.6/eth0"}
        << QStringList{"10.0.0.6 0B-0D eth0 1"} << QStringList{} << 2;
    QTest::newRow("ordered by address as a number")
        << QStringList{"0b0c@10.0.0.10/eth0", "0b0d@10.0.0.9/eth0"}
        << QStringList{"10.0.0.9 0B-0D eth0 1", "10.0.0.10 0B-0C eth0 1"} << QStringList{} << 0;
}

void DiscoveryTest::tally()
{
    QFETCH(QStringList, replies);
    QFETCH(QStringList, devices);
    QFETCH(QStringList, conflicts);
    QFETCH(int, ignored);
    DiscoveryTally tally;
    for (qsizetype i = 0; i < replies.size(); ++i)
        addReply(tally, replies[i], 10 * (i + 1));
    QCOMPARE(describe(tally.devices()), devices);
    QStringList conflictLines;
    for (const AddressConflict &c : tally.conflicts())
        conflictLines.append(c.address.toString() + QLatin1Char(' ') +
                             c.hardwareAddresses.join(QLatin1Char(' ')));
    QCOMPARE(conflictLines, conflicts);
    QCOMPARE(tally.repliesIgnored(), ignored);
    QCOMPARE(tally.repliesTaken(), int(replies.size()) - ignored);
}

void DiscoveryTest::newAddressFindings_data()
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

void DiscoveryTest::newAddressFindings()
{
    QFETCH(QString, address);
    QFETCH(int, answersPing);
    QFETCH(QStringList, findings);
    compareFindings(
        summarise(Diagnosis::newAddress(host(), QHostAddress(address), tri(answersPing))),
        findings);
}

void DiscoveryTest::deviceFindings_data()
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

void DiscoveryTest::deviceFindings()
{
    QFETCH(QString, address);
    QFETCH(int, answersPing);
    QFETCH(int, answersQuery);
    QFETCH(QStringList, findings);
    compareFindings(summarise(Diagnosis::device(host(), QHostAddress(address), tri(answersPing),
                                                tri(answersQuery))),
                    findings);
}

void DiscoveryTest::noIcmpSocketNamesTheSysctl()
{
    IcmpAvailability none;
    none.pingGroupRange = QStringLiteral("1 0");
    const QStringList findings = summarise(Diagnosis::icmp(none));
    QCOMPARE(findings.size(), 1);
    QVERIFY(findings[0].startsWith("problem "));
    QVERIFY(findings[0].contains(IcmpAvailability::sysctlAdvice()));
}

void DiscoveryTest::holdersProveOneDevice_data()
{
    QTest::addColumn<QStringList>("holders"); // hardware addresses, in the order they answered
    QTest::addColumn<QString>("problem");     // a part of it; empty: proven
    const QString mine = QStringLiteral("02-00-00-04-0B-0C");
    const QString other = QStringLiteral("02-00-00-99-0B-0C");
    QTest::newRow("the device alone") << QStringList{mine} << QString();
    QTest::newRow("nobody") << QStringList{} << "no reply to the device query at 198.18.5.9";
    QTest::newRow("another device") << QStringList{other} << "is " + other + ", not " + mine;
    QTest::newRow("another as well") << QStringList{other, mine} << other + " as well as " + mine;
    QTest::newRow("two others") << QStringList{other, "02-00-00-77-0B-0C"}
                                << other + " and 02-00-00-77-0B-0C, not " + mine;
}

void DiscoveryTest::holdersProveOneDevice()
{
    QFETCH(QStringList, holders);
    QFETCH(QString, problem);
    QList<DecodedReply> replies;
    for (const QString &hardware : holders)
        replies.append({hardware, "4.10", "X1", {}});
    const QString said = holdersProblem("198.18.5.9", "02-00-00-04-0B-0C", replies);
    QVERIFY2(problem.isEmpty() ? said.isEmpty() : said.contains(problem), qPrintable(said));
    if (replies.size() > 1)
        QVERIFY2(said.startsWith("address conflict"), qPrintable(said));
}
