#include "core/device/DeviceListing.h"

#include <QHash>

namespace {

// "A", "A and B", "A, B and C".
QString spokenList(const QStringList &items)
{
    if (items.size() < 2)
        return items.join(QString());
    return items.mid(0, items.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
           items.last();
}

// The interfaces a device answered on; all of them when none of those is
// known any more.
QList<LocalInterface> answeredOn(const DiscoveredDevice &device,
                                 const QList<LocalInterface> &interfaces)
{
    QList<LocalInterface> found;
    for (const LocalInterface &interface : interfaces)
        if (device.interfaces.contains(interface.name))
            found.append(interface);
    return found.isEmpty() ? interfaces : found;
}

QString outsideOf(const DiscoveredDevice &device, const QList<LocalInterface> &interfaces)
{
    QStringList subnets;
    for (const LocalInterface &interface : answeredOn(device, interfaces)) {
        if (!interface.up || interface.loopback)
            continue;
        for (const InterfaceAddress &entry : interface.ipv4) {
            if (entry.holds(device.address))
                return {};
            subnets.append(entry.subnetText() + QStringLiteral(" on ") + interface.name);
        }
    }
    return subnets.isEmpty() ? QStringLiteral("no subnet") : spokenList(subnets);
}

QString numberKey(const QString &text)
{
    QStringList parts = text.split(QLatin1Char('.'));
    for (QString &part : parts)
        part = part.rightJustified(5, QLatin1Char('0'));
    return parts.join(QLatin1Char('.'));
}

} // namespace

QString ListedDevice::status() const
{
    QStringList problems;
    if (conflict())
        problems.append(QStringLiteral("address conflict with %1").arg(spokenList(sharedWith)));
    if (!reachable())
        problems.append(
            QStringLiteral("not reachable from this host: lies outside %1").arg(outsideOf));
    return problems.join(QStringLiteral("; "));
}

QList<ListedDevice> listDevices(const QList<DiscoveredDevice> &devices,
                                const QList<LocalInterface> &interfaces)
{
    QHash<quint32, QStringList> byAddress;
    for (const DiscoveredDevice &device : devices)
        byAddress[device.address.toIPv4Address()].append(device.identity.hardwareAddress);
    QList<ListedDevice> listed;
    for (const DiscoveredDevice &device : devices) {
        ListedDevice entry{device, byAddress.value(device.address.toIPv4Address()),
                           outsideOf(device, interfaces)};
        entry.sharedWith.removeAll(device.identity.hardwareAddress);
        entry.sharedWith.sort();
        entry.device.conflict = entry.conflict();
        listed.append(entry);
    }
    return listed;
}

QStringList deviceListTitles()
{
    return {QStringLiteral("IP Address"),
            QStringLiteral("Hardware Address"),
            QStringLiteral("Device Type"),
            QStringLiteral("Firmware Type"),
            QStringLiteral("Firmware Version"),
            QStringLiteral("Interface"),
            QStringLiteral("Status")};
}

QStringList deviceListFields(const ListedDevice &device)
{
    const DecodedReply &identity = device.device.identity;
    return {device.device.address.toString(),
            identity.hardwareAddress,
            identity.deviceType,
            identity.firmwareType,
            identity.firmwareVersion,
            device.device.interfaces.join(QLatin1Char(' ')),
            device.status()};
}

QString deviceSortKey(const ListedDevice &device, int column)
{
    switch (column) {
    case DeviceColumn::Address:
        return QStringLiteral("%1").arg(device.device.address.toIPv4Address(), 8, 16,
                                        QLatin1Char('0'));
    case DeviceColumn::FirmwareVersion:
        return numberKey(device.device.identity.firmwareVersion);
    default:
        return deviceListFields(device).value(column).toLower();
    }
}
