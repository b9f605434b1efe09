#include "core/net/PingSeries.h"

PingSeries::PingSeries(int firstMs, int secondMs, QObject *parent, PingControl::SocketOpener opener)
    : QObject(parent), m_ping(this, std::move(opener)), m_firstMs(firstMs), m_secondMs(secondMs)
{
    m_ping.setDataSize(32);
    m_ping.setFurtherOption(false);
    connect(&m_ping, &PingControl::replyReceived, this, &PingSeries::onReply);
    connect(&m_ping, &PingControl::replyTimedOut, this, &PingSeries::onTimeout);
}

void PingSeries::start(const QString &address, int replyLimit, int timeoutLimit)
{
    m_replyLimit = qMax(1, replyLimit);
    m_timeoutLimit = qMax(1, timeoutLimit);
    m_replies = 0;
    m_timeouts = 0;
    m_ping.setTargetHost(address.trimmed());
    m_ping.setFirstTimeValue(m_firstMs);
    m_ping.setSecondTimeValue(m_secondMs);
    m_ping.setStartOption(true);
    m_ping.setEnabled(true);
}

void PingSeries::stop()
{
    m_ping.setEnabled(false);
    m_ping.setResetRequest(true);
}

void PingSeries::onReply(quint16 sequence, quint16 dataBytes, quint32 roundTripMs)
{
    ++m_replies;
    Q_EMIT replied(sequence, dataBytes, roundTripMs);
    if (m_replies >= m_replyLimit && m_ping.isEnabled()) {
        stop();
        Q_EMIT finished(true);
    }
}

void PingSeries::onTimeout()
{
    ++m_timeouts;
    Q_EMIT timedOut();
    if (m_timeouts >= m_timeoutLimit && m_ping.isEnabled()) {
        stop();
        Q_EMIT finished(false);
    }
}
