#include "core/device/AddressAssignment.h"

AddressAssignment::AddressAssignment(quint16 port, const PingOptions &ping, QObject *parent,
                                     PingControl::SocketOpener opener)
    : QObject(parent), m_port(port), m_waitMs(ping.waitMs), m_ping(this, std::move(opener))
{
    m_ping.setStartOption(true);
    m_ping.setOptions(ping);
    m_ping.setFurtherOption(false);
    connect(&m_ping, &PingControl::replyReceived, this, [this] {
        Q_EMIT replied();
        decide(m_confirmation.replyReceived(m_ping.echoCount(), m_ping.replyCount()));
    });
    connect(&m_ping, &PingControl::replyTimedOut, this, [this] {
        ++m_timeouts;
        Q_EMIT timedOut();
        decide(m_confirmation.replyTimedOut(m_ping.echoCount()));
    });
}

IpSetupOutcome AddressAssignment::start(const QString &newIpText, const QString &hardwareText,
                                        bool confirm)
{
    stop();
    const IpSetupOutcome outcome = set_tmx_ip(newIpText, hardwareText, m_port);
    if (!outcome.sent() || !confirm)
        return outcome;
    m_confirmation.start();
    m_timeouts = 0;
    m_ping.setTargetHost(newIpText.trimmed());
    m_ping.setFirstTimeValue(m_waitMs);
    m_ping.setEnabled(true);
    return outcome;
}

void AddressAssignment::stop()
{
    m_ping.setEnabled(false);
    m_ping.setResetRequest(true);
}

void AddressAssignment::decide(AssignConfirmation::Verdict verdict)
{
    if (verdict == AssignConfirmation::Verdict::Pending || !m_ping.isEnabled())
        return;
    // The counts stay readable: they are cleared only by the next start.
    m_ping.setEnabled(false);
    Q_EMIT finished(verdict);
}
