#include "DiscoveryTest.h"

#include "core/device/AddressHolders.h"
#include "core/device/DeviceListing.h"
#include "core/device/DeviceSearchSettings.h"
#include "core/device/DiscoveryTally.h"

#include <QTemporaryDir>
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

// Each listed device's marks: "shares HH-HH[,HH-HH]", "outside <subnets>".
QStringList marks(const QList<ListedDevice> &devices)
{
    QStringList lines;
    for (const ListedDevice &d : devices) {
        QStringList shared;
        for (const QString &other : d.sharedWith)
            shared.append(other.right(5));
        QStringList mark;
        if (d.conflict())
            mark.append("shares " + shared.join(','));
        if (!d.reachable())
            mark.append("outside " + d.outsideOf);
        lines.append(mark.join("; "));
    }
    return lines;
}

// This host: eth0 in 10.0.0.0/24, eth1 in 10.1.0.0/16.
QList<LocalInterface> host()
{
    return {{"eth0",
             2,
             true,
             false,
             true,
             {{QHostAddress("10.0.0.1"), 24, QHostAddress("10.0.0.255")}}},
            {"eth1",
             3,
             true,
             false,
             true,
             {{QHostAddress("10.1.0.1"), 16, QHostAddress("10.1.255.255")}}}};
}

ListedDevice versioned(const char *address, const char *version)
{
    ListedDevice device;
    device.device.address = QHostAddress(QLatin1String(address));
    device.device.identity.firmwareVersion = QLatin1String(version);
    return device;
}

} // namespace

void DiscoveryTest::tally_data()
{
    QTest::addColumn<QStringList>("replies");
    QTest::addColumn<QStringList>("devices");
    QTest::addColumn<QStringList>("conflicts");
    QTest::addColumn<int>("ignored");
    QTest::addColumn<QStringList>("marks"); // as the device list shows them, on host()

    QTest::newRow("one reply each") << QStringList{"0b0c@10.0.0.5/eth0", "0b0d@10.0.0.6/eth0"}
                                    << QStringList{"10.0.0.5 0B-0C eth0 1", "10.0.0.6 0B-0D eth0 1"}
                                    << QStringList{} << 0 << QStringList{"", ""};
    QTest::newRow("both broadcasts answered: merged")
        << QStringList{"0b0c@10.0.0.5/eth0", "0b0c@10.0.0.5/eth0"}
        << QStringList{"10.0.0.5 0B-0C eth0 2"} << QStringList{} << 0 << QStringList{""};
    QTest::newRow("one device heard on two interfaces")
        << QStringList{"0b0c@10.0.0.5/eth0", "0b0c@10.0.0.5/eth1", "0b0c@10.0.0.5/eth0"}
        << QStringList{"10.0.0.5 0B-0C eth0,eth1 3"} << QStringList{} << 0 << QStringList{""};
    QTest::newRow("two devices, one address")
        << QStringList{"0b0d@192.168.1.50/eth0", "0b0c@192.168.1.50/eth0", "0b0e@192.168.1.7/eth0"}
        << QStringList{"192.168.1.7 0B-0E eth0 1", "192.168.1.50 0B-0C eth0 1 conflict",
                       "192.168.1.50 0B-0D eth0 1 conflict"}
        << QStringList{"192.168.1.50 02-00-00-04-0B-0C 02-00-00-04-0B-0D"} << 0
        << QStringList{"outside 10.0.0.0/24 on eth0", "shares 0B-0D; outside 10.0.0.0/24 on eth0",
                       "shares 0B-0C; outside 10.0.0.0/24 on eth0"};
    QTest::newRow("short datagrams ignored")
        << QStringList{"0b0c@10.0.0.5/eth0/4", "0b0c@10.0.0.5/eth0/29", "0b0d@10.0.0.6/eth0"}
        << QStringList{"10.0.0.6 0B-0D eth0 1"} << QStringList{} << 2 << QStringList{""};
    QTest::newRow("ordered by address as a number")
        << QStringList{"0b0c@10.0.0.10/eth0", "0b0d@10.0.0.9/eth0"}
        << QStringList{"10.0.0.9 0B-0D eth0 1", "10.0.0.10 0B-0C eth0 1"} << QStringList{} << 0
        << QStringList{"", ""};
    // Unicast to it leaves by eth1, away from the segment it answered on.
    QTest::newRow("in the subnet of another interface")
        << QStringList{"0b0c@10.1.0.5/eth0"} << QStringList{"10.1.0.5 0B-0C eth0 1"}
        << QStringList{} << 0 << QStringList{"outside 10.0.0.0/24 on eth0"};
    QTest::newRow("three at one address, one of them on two interfaces")
        << QStringList{"0b0c@10.1.2.3/eth1", "0b0d@10.1.2.3/eth1", "0b0e@10.1.2.3/eth0",
                       "0b0e@10.1.2.3/eth1"}
        << QStringList{"10.1.2.3 0B-0C eth1 1 conflict", "10.1.2.3 0B-0D eth1 1 conflict",
                       "10.1.2.3 0B-0E eth0,eth1 2 conflict"}
        << QStringList{"10.1.2.3 02-00-00-04-0B-0C 02-00-00-04-0B-0D 02-00-00-04-0B-0E"} << 0
        << QStringList{"shares 0B-0D,0B-0E", "shares 0B-0C,0B-0E", "shares 0B-0C,0B-0D"};
}

void DiscoveryTest::tally()
{
    QFETCH(QStringList, replies);
    QFETCH(QStringList, devices);
    QFETCH(QStringList, conflicts);
    QFETCH(int, ignored);
    QFETCH(QStringList, marks);
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
    const QList<ListedDevice> listed = listDevices(tally.devices(), host());
    QCOMPARE(::marks(listed), marks);
    // The status names every other device and the subnets, and only then.
    for (const ListedDevice &d : listed) {
        QCOMPARE(d.status().isEmpty(), d.reachable() && !d.conflict());
        for (const QString &named : d.sharedWith + QStringList{d.outsideOf})
            QVERIFY2(d.status().contains(named), qPrintable(d.status()));
    }
}

void DiscoveryTest::sortKeysOrderAsRead()
{
    const auto before = [](const ListedDevice &a, const ListedDevice &b, int column) {
        return deviceSortKey(a, column) < deviceSortKey(b, column);
    };
    QVERIFY(before(versioned("10.0.0.9", "4.10"), versioned("10.0.0.10", "4.9"),
                   DeviceColumn::Address));
    QVERIFY(before(versioned("10.0.0.10", "4.9"), versioned("10.0.0.9", "4.10"),
                   DeviceColumn::FirmwareVersion));
    QVERIFY(before(versioned("9.0.0.1", "9.99"), versioned("10.0.0.1", "10.0"),
                   DeviceColumn::FirmwareVersion));
}

void DiscoveryTest::searchSettings_data()
{
    QTest::addColumn<QByteArray>("section"); // of the settings file
    QTest::addColumn<QString>("interfaceName");
    QTest::addColumn<int>("timeoutMs");
    QTest::newRow("none") << QByteArray() << QString() << 2000;
    QTest::newRow("all, in capitals") << QByteArray("Interface=ALL") << QString() << 2000;
    QTest::newRow("one, with seconds")
        << QByteArray("interface = eth1 \r\ntimeout=0.25") << "eth1" << 250;
    QTest::newRow("no seconds") << QByteArray("Timeout=0") << QString() << 2000;
    QTest::newRow("not a number") << QByteArray("Timeout=2s") << QString() << 2000;
    QTest::newRow("beyond an hour") << QByteArray("Timeout=3601") << QString() << 2000;
}

void DiscoveryTest::searchSettings()
{
    QFETCH(QByteArray, section);
    QFETCH(QString, interfaceName);
    QFETCH(int, timeoutMs);
    QTemporaryDir folder;
    const QString path = folder.filePath("ConfigUtility.ini");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[options]\r\nFindDevices=enabled\r\n[FindDevices]\r\n" + section + "\r\n");
    file.close();
    const DeviceSearchSettings read = readDeviceSearchSettings(path, 2000);
    QCOMPARE(read.interfaceName, interfaceName);
    QCOMPARE(read.timeoutMs, timeoutMs);
    // The choice is kept, and every other line with it.
    QVERIFY(storeSearchInterface(path, interfaceName.isEmpty() ? "eth9" : QString()));
    QCOMPARE(readDeviceSearchSettings(path, 2000).interfaceName,
             interfaceName.isEmpty() ? "eth9" : QString());
    QCOMPARE(readDeviceSearchSettings(path, 2000).timeoutMs, timeoutMs);
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
