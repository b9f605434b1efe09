#include "core/net/PingSeries.h"

#include "core/net/PingReport.h"

PingSeries::PingSeries(const PingOptions &options, QObject *parent,
                       PingControl::SocketOpener opener)
    : QObject(parent), m_ping(this, std::move(opener)), m_options(options)
{
    m_ping.setStartOption(true);
    m_ping.setOptions(options);
    m_ping.setFurtherOption(false);
    connect(&m_ping, &PingControl::replyReceived, this, &PingSeries::onReply);
    connect(&m_ping, &PingControl::replyTimedOut, this, &PingSeries::onTimeout);
    connect(&m_ping, &PingControl::error, this, &PingSeries::error);
}

void PingSeries::start(const QString &address, int replyLimit, int timeoutLimit)
{
    const QString target = address.trimmed();
    Q_EMIT reported(PingReport::header(target, m_ping.dataSize()));
    m_replyLimit = qMax(1, replyLimit);
    m_timeoutLimit = qMax(1, timeoutLimit);
    m_replies = 0;
    m_timeouts = 0;
    m_ping.setTargetHost(target);
    m_ping.setFirstTimeValue(m_options.waitMs);
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
    Q_EMIT reported(PingReport::replyLine(sequence, dataBytes, roundTripMs));
    Q_EMIT replied(sequence, dataBytes, roundTripMs);
    // Replies and time-outs are counted apart: either reaching its limit ends the run.
    if (m_replies >= m_replyLimit && m_ping.isEnabled()) {
        stop();
        Q_EMIT finished(true);
    }
}

void PingSeries::onTimeout()
{
    ++m_timeouts;
    Q_EMIT reported(PingReport::timedOutLine());
    Q_EMIT timedOut();
    if (m_timeouts >= m_timeoutLimit && m_ping.isEnabled()) {
        stop();
        Q_EMIT finished(false);
    }
}
