#include "core/device/HostAddress.h"

#include <QHostAddress>

namespace {

constexpr quint32 kImpliedMask = 0xFFFFFF00; // the IP-SETUP destination x.y.z.255

quint32 maskOf(int prefixLength)
{
    return prefixLength <= 0 ? 0 : ~quint32(0) << (32 - qMin(prefixLength, 32));
}

} // namespace

AddressJudgement judgeAddress(quint32 address, const QList<LocalInterface> &interfaces)
{
    const auto inBlock = [address](quint32 block, int prefixLength) {
        return (address & maskOf(prefixLength)) == block;
    };
    if (inBlock(0x00000000, 8))
        return {AddressUse::ThisNetwork, {}, {}};
    if (inBlock(0x7F000000, 8))
        return {AddressUse::Loopback, {}, {}};
    if (inBlock(0xE0000000, 4))
        return {AddressUse::Multicast, {}, {}};
    if (address == 0xFFFFFFFF)
        return {AddressUse::Broadcast, {}, {}};
    if (inBlock(0xF0000000, 4))
        return {AddressUse::Reserved, {}, {}};

    quint32 mask = kImpliedMask;
    QString interfaceName;
    if (const auto match = subnetHolding(interfaces, QHostAddress(address))) {
        mask = maskOf(match->entry.prefixLength);
        interfaceName = match->interface.name;
    }
    if (mask == ~quint32(0) || mask == ~quint32(1))
        return {};
    const QString subnet = QStringLiteral("%1/%2")
                               .arg(QHostAddress(address & mask).toString())
                               .arg(32 - qPopulationCount(~mask));
    if ((address & ~mask) == 0)
        return {AddressUse::SubnetNetwork, subnet, interfaceName};
    if ((address & ~mask) == ~mask)
        return {AddressUse::SubnetBroadcast, subnet, interfaceName};
    return {};
}

QString AddressJudgement::problem(quint32 address) const
{
    QString why;
    switch (use) {
    case AddressUse::Host:
        return {};
    case AddressUse::ThisNetwork:
        why = QStringLiteral("0.0.0.0/8 stands for this network");
        break;
    case AddressUse::Loopback:
        why = QStringLiteral("it is a loopback address, which never leaves this computer");
        break;
    case AddressUse::Multicast:
        why = QStringLiteral("it is a multicast address (224.0.0.0/4)");
        break;
    case AddressUse::Reserved:
        why = QStringLiteral("it is reserved (240.0.0.0/4)");
        break;
    case AddressUse::Broadcast:
        why = QStringLiteral("it is the broadcast to every host");
        break;
    case AddressUse::SubnetNetwork:
    case AddressUse::SubnetBroadcast:
        why = QStringLiteral("it is the %1 address of %2%3")
                  .arg(use == AddressUse::SubnetNetwork ? QStringLiteral("network")
                                                        : QStringLiteral("broadcast"),
                       subnet,
                       interfaceName.isEmpty()
                           ? QStringLiteral(" (no interface of this computer is in it; its "
                                            "IP-SETUP broadcast makes it a /24)")
                           : QStringLiteral(" on %1").arg(interfaceName));
        break;
    }
    return QStringLiteral("%1 is not a host address: %2")
        .arg(QHostAddress(address).toString(), why);
}

AddressReading readNewDeviceAddress(const QString &text, AddressSpelling spelling,
                                    const QList<LocalInterface> &interfaces)
{
    AddressReading reading = readAddress(text, spelling);
    if (!reading.value)
        return {std::nullopt, notAnAddress(text, reading.problem)};
    if (const QString why = judgeAddress(*reading.value, interfaces).problem(*reading.value);
        !why.isEmpty())
        return {std::nullopt, why};
    return reading;
}
