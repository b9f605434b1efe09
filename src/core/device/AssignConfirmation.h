#pragma once

#include <QtGlobal>

// Decides from the confirmation pings whether a device took the address that
// IP-SETUP gave it. After `EchoTarget` echo requests, a reply with at least
// `RepliesNeeded` replies counted means it did; a time-out that brings the
// time-outs above EchoTarget - RepliesNeeded means it did not. Each event is
// judged on the counts as they stand when it arrives (the ping control's
// counts already include it), and the first event that meets a rule decides.
// A reply at or past the target with too few replies (time-out, time-out,
// time-out, reply) ends the pinging without a verdict.
class AssignConfirmation {
public:
    static constexpr quint32 EchoTarget = 4;
    static constexpr quint32 RepliesNeeded = 2;

    enum class Verdict {
        Pending,   // keep pinging
        Succeeded, // stop pinging; the device answers at its new address
        Failed,    // stop pinging; no response from the device
        Stopped,   // stop pinging; nothing to report
    };

    // Each assignment starts with no time-outs counted.
    void start() { m_timeouts = 0; }

    Verdict replyReceived(quint32 echoCount, quint32 replyCount) const;
    Verdict replyTimedOut(quint32 echoCount);

private:
    int m_timeouts = 0;
};
