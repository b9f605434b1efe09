#include "core/device/AddressProbe.h"

#include "core/device/AddressHolders.h"
#include "core/net/PingSeries.h"

AddressProbe::AddressProbe(const AddressProbeOptions &options, QObject *parent)
    : QObject(parent), m_ping(new PingSeries({options.pingDataBytes, options.waitMs, 0}, this)),
      m_holders(new AddressHolders(options.port, options.waitMs, options.settleMs, this))
{
    connect(m_ping, &PingSeries::finished, this, [this](bool answered) {
        m_echoEnded = true;
        m_echoAnswered = answered;
        decide();
    });
    connect(m_holders, &AddressHolders::finished, this, [this] {
        m_queryEnded = true;
        decide();
    });
}

AddressProbe::~AddressProbe()
{
    stop();
}

void AddressProbe::start(const QString &address, const QString &hardwareAddress)
{
    stop();
    m_hardware = hardwareAddress;
    m_finding = Finding::Free;
    m_echoEnded = m_echoAnswered = m_queryEnded = false;
    m_deciding = true;
    try {
        m_ping->start(address, 1, 1);
        m_holders->start(address);
    } catch (...) {
        stop();
        throw;
    }
}

void AddressProbe::stop()
{
    m_deciding = false;
    m_ping->stop();
    m_holders->stop();
}

const QList<DecodedReply> &AddressProbe::holders() const
{
    return m_holders->holders();
}

QString AddressProbe::problem() const
{
    if (m_finding != Finding::Taken)
        return {};
    QStringList others;
    for (const DecodedReply &holder : holders())
        if (holder.hardwareAddress != m_hardware)
            others.append(holder.hardwareAddress);
    if (others.isEmpty())
        return QStringLiteral("address in use by a host that does not answer the device query");
    return QStringLiteral("address in use by HW %1").arg(others.join(QStringLiteral(" and ")));
}

void AddressProbe::decide()
{
    // The devices that answered the query settle it whatever the echo does.
    const bool devices = m_queryEnded && !holders().isEmpty();
    if (!m_deciding || !(devices || (m_echoEnded && m_queryEnded)))
        return;
    stop();
    if (devices)
        m_finding = holders().size() == 1 && holders().first().hardwareAddress == m_hardware
                        ? Finding::Planned
                        : Finding::Taken;
    else
        m_finding = m_echoAnswered ? Finding::Taken : Finding::Free;
    Q_EMIT finished();
}
