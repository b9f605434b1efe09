#include "core/device/IpSetupPacer.h"

#include <utility>

IpSetupPacer::IpSetupPacer(int perSecond, QObject *parent)
    : QObject(parent), m_spacingNs(perSecond > 0 ? 1'000'000'000 / perSecond : 0), m_timer(this)
{
    m_timer.setSingleShot(true);
    // A coarse timer may fire a little early; the spacing is a promise.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &IpSetupPacer::sendDue);
}

void IpSetupPacer::enqueue(QObject *receiver, std::function<void()> send)
{
    m_queue.push_back({receiver, std::move(send)});
    // With others waiting the timer is armed already: this one waits its turn.
    if (m_queue.size() == 1)
        sendDue();
}

qint64 IpSetupPacer::nsUntilNext() const
{
    if (!m_sinceLast.isValid())
        return 0;
    return m_spacingNs - m_sinceLast.nsecsElapsed();
}

void IpSetupPacer::sendDue()
{
    for (;;) {
        while (!m_queue.empty() && !m_queue.front().receiver)
            m_queue.pop_front();
        if (m_queue.empty())
            return;
        if (const qint64 wait = nsUntilNext(); wait > 0) {
            m_timer.start(int((wait + 999'999) / 1'000'000));
            return;
        }
        // Taken off first: `send` may enqueue again.
        Request due = std::move(m_queue.front());
        m_queue.pop_front();
        m_sinceLast.start();
        due.send();
    }
}
