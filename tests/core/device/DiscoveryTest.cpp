#include "DiscoveryTest.h"

#include "core/device/AddressHolders.h"
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
