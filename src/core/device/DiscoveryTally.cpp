#include "core/device/DiscoveryTally.h"

#include <QMap>
#include <algorithm>

DiscoveryTally::Taken DiscoveryTally::add(const QByteArray &datagram, const QHostAddress &sender,
                                          const QString &interfaceName, qint64 elapsedMs)
{
    if (datagram.size() < DeviceProtocol::QueryReplySize) {
        ++m_ignored;
        return Taken::Ignored;
    }
    ++m_taken;
    m_lastReplyMs = qMax(m_lastReplyMs, elapsedMs);
    const DecodedReply identity = decodeQueryReply(datagram);
    auto found = m_byHardware.find(identity.hardwareAddress);
    if (found != m_byHardware.end()) {
        ++found->replies;
        if (!found->interfaces.contains(interfaceName))
            found->interfaces.append(interfaceName);
        return Taken::Repeat;
    }
    DiscoveredDevice device;
    device.address = QHostAddress(sender.toIPv4Address());
    device.identity = identity;
    device.interfaces = {interfaceName};
    device.replies = 1;
    device.firstReplyMs = elapsedMs;
    m_byHardware.insert(identity.hardwareAddress, device);
    m_lastNewDeviceMs = qMax(m_lastNewDeviceMs, elapsedMs);
    return Taken::NewDevice;
}

QList<AddressConflict> DiscoveryTally::conflicts() const
{
    QMap<quint32, QStringList> byAddress;
    for (const DiscoveredDevice &device : m_byHardware)
        byAddress[device.address.toIPv4Address()].append(device.identity.hardwareAddress);
    QList<AddressConflict> result;
    for (auto it = byAddress.cbegin(); it != byAddress.cend(); ++it) {
        if (it.value().size() < 2)
            continue;
        QStringList hardware = it.value();
        hardware.sort();
        result.append({QHostAddress(it.key()), hardware});
    }
    return result;
}

QList<DiscoveredDevice> DiscoveryTally::devices() const
{
    QHash<quint32, int> perAddress;
    for (const DiscoveredDevice &device : m_byHardware)
        ++perAddress[device.address.toIPv4Address()];
    QList<DiscoveredDevice> result;
    for (DiscoveredDevice device : m_byHardware) {
        device.conflict = perAddress.value(device.address.toIPv4Address()) > 1;
        result.append(device);
    }
    std::sort(result.begin(), result.end(),
              [](const DiscoveredDevice &a, const DiscoveredDevice &b) {
                  const quint32 left = a.address.toIPv4Address();
                  const quint32 right = b.address.toIPv4Address();
                  return left != right ? left < right
                                       : a.identity.hardwareAddress < b.identity.hardwareAddress;
              });
    return result;
}
