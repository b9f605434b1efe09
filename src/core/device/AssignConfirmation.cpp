#include "core/device/AssignConfirmation.h"

AssignConfirmation::Verdict AssignConfirmation::replyReceived(quint32 echoCount,
                                                              quint32 replyCount) const
{
    if (echoCount < EchoTarget)
        return Verdict::Pending;
    return replyCount >= RepliesNeeded ? Verdict::Succeeded : Verdict::Stopped;
}

AssignConfirmation::Verdict AssignConfirmation::replyTimedOut(quint32 echoCount)
{
    ++m_timeouts;
    if (echoCount >= EchoTarget && m_timeouts > int(EchoTarget - RepliesNeeded))
        return Verdict::Failed;
    return Verdict::Pending;
}
