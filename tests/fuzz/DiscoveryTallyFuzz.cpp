// The discovery tally on any sequence of replies. The input is a run of
// records: one byte (interface in the low two bits, milliseconds since the
// previous reply in the others), the sender's IPv4 address (four bytes), the
// datagram's length (one byte) and the datagram.
//
// Each hardware address is one device, at the address of its first reply,
// counting every reply it sent and each interface once; a conflict stands
// exactly for an address that two or more hardware addresses hold; every
// count adds up to the replies fed.

#include "FuzzSupport.h"
#include "core/device/DiscoveryTally.h"

#include <QMap>
#include <QSet>

#include <algorithm>

namespace {

struct Expected {
    quint32 address = 0;
    QByteArray firstReply;
    QStringList interfaces;
    int replies = 0;
    qint64 firstReplyMs = 0;
};

bool sameIdentity(const DecodedReply &a, const DecodedReply &b)
{
    return a.hardwareAddress == b.hardwareAddress && a.firmwareVersion == b.firmwareVersion &&
           a.firmwareType == b.firmwareType && a.deviceType == b.deviceType;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QStringList kInterfaces{QStringLiteral("eth0"), QStringLiteral("eth1"),
                                         QStringLiteral("wlan0"), QStringLiteral("eth0:1")};
    const QByteArray input = inputBytes(data, size);
    DiscoveryTally tally;
    QMap<QString, Expected> expected;
    int fed = 0;
    int ignored = 0;
    qint64 now = 0;
    qint64 lastReply = 0;
    qint64 lastNew = 0;
    for (qsizetype at = 0; at + 6 <= input.size(); ++fed) {
        const quint8 head = quint8(input[at]);
        const QString interfaceName = kInterfaces[head & 3];
        now += head >> 2;
        quint32 sender = 0;
        for (int i = 1; i <= 4; ++i)
            sender = (sender << 8) | quint8(input[at + i]);
        const qsizetype length = quint8(input[at + 5]);
        const QByteArray datagram = input.mid(at + 6, length);
        at += 6 + datagram.size();

        const DiscoveryTally::Taken taken =
            tally.add(datagram, QHostAddress(sender), interfaceName, now);
        if (datagram.size() < DeviceProtocol::QueryReplySize) {
            FUZZ_CHECK(taken == DiscoveryTally::Taken::Ignored);
            ++ignored;
            continue;
        }
        lastReply = now;
        const QString hardware = decodeQueryReply(datagram).hardwareAddress;
        FUZZ_CHECK(hardware.size() == 17);
        auto known = expected.find(hardware);
        if (known == expected.end()) {
            FUZZ_CHECK(taken == DiscoveryTally::Taken::NewDevice);
            expected.insert(hardware, {sender, datagram, {interfaceName}, 1, now});
            lastNew = now;
            continue;
        }
        FUZZ_CHECK(taken == DiscoveryTally::Taken::Repeat);
        ++known->replies;
        if (!known->interfaces.contains(interfaceName))
            known->interfaces.append(interfaceName);
    }

    FUZZ_CHECK(tally.repliesIgnored() == ignored);
    FUZZ_CHECK(tally.repliesTaken() == fed - ignored);
    FUZZ_CHECK(tally.lastReplyMs() == lastReply && tally.lastNewDeviceMs() == lastNew);

    QMap<quint32, QStringList> holders; // hardware addresses in order
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        holders[it->address].append(it.key());

    const QList<DiscoveredDevice> devices = tally.devices();
    FUZZ_CHECK(devices.size() == expected.size());
    int replies = 0;
    QSet<QString> seen;
    for (qsizetype i = 0; i < devices.size(); ++i) {
        const DiscoveredDevice &device = devices[i];
        const QString &hardware = device.identity.hardwareAddress;
        FUZZ_CHECK(!seen.contains(hardware) && expected.contains(hardware));
        seen.insert(hardware);
        const Expected &want = expected[hardware];
        const quint32 address = device.address.toIPv4Address();
        FUZZ_CHECK(address == want.address);
        FUZZ_CHECK(sameIdentity(device.identity, decodeQueryReply(want.firstReply)));
        FUZZ_CHECK(device.interfaces == want.interfaces);
        FUZZ_CHECK(device.replies == want.replies && device.firstReplyMs == want.firstReplyMs);
        FUZZ_CHECK(device.conflict == (holders[address].size() > 1));
        replies += device.replies;
        if (i > 0) {
            const quint32 before = devices[i - 1].address.toIPv4Address();
            FUZZ_CHECK(before < address ||
                       (before == address && devices[i - 1].identity.hardwareAddress < hardware));
        }
        const DiscoveredDevice single = tally.device(hardware);
        FUZZ_CHECK(single.address == device.address && single.replies == device.replies &&
                   single.interfaces == device.interfaces);
    }
    FUZZ_CHECK(replies == tally.repliesTaken());

    const QList<AddressConflict> conflicts = tally.conflicts();
    qsizetype at = 0;
    for (auto it = holders.cbegin(); it != holders.cend(); ++it) {
        if (it->size() < 2)
            continue;
        FUZZ_CHECK(at < conflicts.size());
        FUZZ_CHECK(conflicts[at].address.toIPv4Address() == it.key());
        FUZZ_CHECK(conflicts[at].hardwareAddresses == *it);
        ++at;
    }
    FUZZ_CHECK(at == conflicts.size());
    return 0;
}
