#include "core/net/QuickReplyWait.h"

#include <QThread>

namespace {
// How long a run of exchanges may keep the event loop waiting.
constexpr qint64 kBurstNs = 4'000'000;
// A peer that never answers while we look (one in our own thread, say) is
// looked for ever more rarely, down to about one exchange in this many.
constexpr int kMostNeeded = 1024;
} // namespace

void QuickReplyWait::forget()
{
    m_awaiting = false;
    m_inTime = 0;
    m_needed = 1;
}

void QuickReplyWait::noteSent()
{
    m_awaiting = true;
    m_sinceSend.start();
}

void QuickReplyWait::noteArrived()
{
    // Learn from an answer the loop brought: had we looked, would it have
    // come in time? (One found by looking has already cleared m_awaiting.)
    if (m_awaiting)
        m_inTime = m_sinceSend.nsecsElapsed() <= m_windowNs ? qMin(m_inTime + 1, kMostNeeded) : 0;
    m_awaiting = false;
}

void QuickReplyWait::beginBurst()
{
    m_burst.start();
}

bool QuickReplyWait::waitFor(const std::function<bool()> &ready)
{
    if (!isOn() || !m_awaiting || m_inTime < m_needed || m_burst.nsecsElapsed() >= kBurstNs)
        return false;
    while (m_sinceSend.nsecsElapsed() < m_windowNs) {
        if (ready()) {
            m_awaiting = false;
            m_needed = 1;
            return true;
        }
        // A peer on the same processor needs it to answer at all.
        QThread::yieldCurrentThread();
    }
    m_inTime = 0;
    m_needed = qMin(m_needed * 2, kMostNeeded);
    return false;
}
