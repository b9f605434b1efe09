#include "core/host/LocalInterfaces.h"

#include <QNetworkInterface>

#include <algorithm>

QString InterfaceAddress::subnetText() const
{
    const quint32 mask = prefixLength <= 0 ? 0 : ~quint32(0) << (32 - qMin(prefixLength, 32));
    return QHostAddress(address.toIPv4Address() & mask).toString() + QLatin1Char('/') +
           QString::number(prefixLength);
}

bool InterfaceAddress::holds(const QHostAddress &other) const
{
    return other.isInSubnet(address, prefixLength);
}

QList<LocalInterface> localInterfaces()
{
    QList<LocalInterface> result;
    for (const QNetworkInterface &each : QNetworkInterface::allInterfaces()) {
        LocalInterface interface;
        interface.name = each.name();
        interface.index = each.index();
        interface.up = each.flags().testFlag(QNetworkInterface::IsUp);
        interface.loopback = each.flags().testFlag(QNetworkInterface::IsLoopBack);
        interface.canBroadcast = each.flags().testFlag(QNetworkInterface::CanBroadcast);
        for (const QNetworkAddressEntry &entry : each.addressEntries()) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            // A host address (/32, /31) has no broadcast of its own.
            const bool host = entry.prefixLength() >= 31 || entry.broadcast() == entry.ip();
            interface.ipv4.append(
                {entry.ip(), entry.prefixLength(), host ? QHostAddress() : entry.broadcast()});
        }
        result.append(interface);
    }
    return result;
}

namespace {
QString unusable(const LocalInterface &interface)
{
    if (!interface.up)
        return QStringLiteral("is down");
    if (interface.ipv4.isEmpty())
        return QStringLiteral("has no IPv4 address");
    if (!interface.canBroadcast)
        return QStringLiteral("cannot broadcast");
    return {};
}
} // namespace

InterfaceChoice chooseBroadcastInterfaces(const QList<LocalInterface> &all,
                                          const QStringList &names)
{
    InterfaceChoice choice;
    if (names.isEmpty()) {
        for (const LocalInterface &interface : all)
            if (!interface.loopback && unusable(interface).isEmpty())
                choice.chosen.append(interface);
        if (choice.chosen.isEmpty())
            choice.error = QStringLiteral("No interface is up with an IPv4 address that can "
                                          "broadcast");
        return choice;
    }
    for (const QString &name : names) {
        const auto found = std::find_if(all.begin(), all.end(),
                                        [&](const LocalInterface &i) { return i.name == name; });
        if (found == all.end())
            return {{}, QStringLiteral("There is no interface %1").arg(name)};
        if (const QString why = unusable(*found); !why.isEmpty())
            return {{}, QStringLiteral("Interface %1 %2").arg(name, why)};
        if (std::none_of(choice.chosen.begin(), choice.chosen.end(),
                         [&](const LocalInterface &i) { return i.name == name; }))
            choice.chosen.append(*found);
    }
    return choice;
}

std::optional<SubnetMatch> subnetHolding(const QList<LocalInterface> &all,
                                         const QHostAddress &address)
{
    for (const LocalInterface &interface : all) {
        if (!interface.up)
            continue;
        for (const InterfaceAddress &entry : interface.ipv4)
            if (entry.holds(address))
                return SubnetMatch{interface, entry};
    }
    return std::nullopt;
}
