#include "core/commission/EndingCheck.h"

#include "core/device/AddressText.h"
#include "core/host/LocalInterfaces.h"
#include "core/net/UdpSocketControl.h"

QString EndingCheck::Clash::text() const
{
    return QStringLiteral("%1 ends in the same two bytes as %2, found at %3 on "
                          "%4: IP-SETUP selects a device by those bytes, so it would move that "
                          "device too")
        .arg(planned, found.identity.hardwareAddress, found.address.toString(),
             found.interfaces.join(QLatin1Char(',')));
}

EndingCheck::EndingCheck(QObject *parent) : QObject(parent)
{
    connect(&m_discovery, &DeviceDiscovery::finished, this, &EndingCheck::judge);
}

bool EndingCheck::start(const QList<PlanRow> &rows, const DiscoveryOptions &options)
{
    m_rows = rows;
    m_interfaces.clear();
    m_clashes.clear();
    const QList<LocalInterface> all = localInterfaces();
    for (const PlanRow &row : rows) {
        const std::optional<SubnetMatch> match = subnetHolding(all, parseDottedAddress(row.ip));
        if (match && match->interface.canBroadcast && !match->interface.loopback &&
            !m_interfaces.contains(match->interface.name))
            m_interfaces.append(match->interface.name);
    }
    if (m_interfaces.isEmpty())
        return false;
    DiscoveryOptions here = options;
    here.interfaceNames = m_interfaces;
    m_discovery.start(here);
    return true;
}

void EndingCheck::judge()
{
    const QList<DiscoveredDevice> devices = m_discovery.tally().devices();
    for (const PlanRow &row : std::as_const(m_rows)) {
        const auto tail = HardwareAddressTail(row.hardwareAddress);
        for (const DiscoveredDevice &device : devices)
            if (device.identity.hardwareAddress != row.hardwareAddress &&
                HardwareAddressTail(device.identity.hardwareAddress) == tail)
                m_clashes.append({row.line, row.hardwareAddress, device});
    }
    Q_EMIT finished();
}
