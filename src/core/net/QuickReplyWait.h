#pragma once

#include <QElapsedTimer>
#include <functional>

// A short look for an answer that is due within microseconds.
//
// A lock-step peer (a TFTP server on loopback or on a quiet LAN) answers a
// datagram within tens of microseconds. Returning to the event loop and
// sleeping in poll() until the answer wakes us costs a second wake-up per
// exchange, often more than the answer itself takes. So, after a datagram
// has been handled and answered, the socket control may look for the next
// one for a short window before it returns to the loop.
//
// It looks only while answers have been arriving within that window, so a
// slow peer costs no processor time: a look that finds nothing is not tried
// again until twice as many answers in a row have come in time through the
// loop. It hands the event loop back after a few milliseconds of exchanges,
// so timers, painting and buttons keep working.
class QuickReplyWait {
public:
    // Zero (the default) turns the waiting off.
    void setWindowMicroseconds(int microseconds) { m_windowNs = qint64(microseconds) * 1000; }
    bool isOn() const { return m_windowNs > 0; }

    // A datagram that expects an answer has been sent.
    void noteSent();
    // A datagram from the peer has been taken.
    void noteArrived();
    // The socket has closed: what was learnt about the peer no longer holds.
    void forget();
    // A read notification from the event loop begins.
    void beginBurst();
    // Looks for an answer until `ready` says one is there (true), the window
    // since the send has passed, or the burst has lasted long enough (false).
    bool waitFor(const std::function<bool()> &ready);

private:
    qint64 m_windowNs = 0;
    QElapsedTimer m_sinceSend;
    QElapsedTimer m_burst;
    bool m_awaiting = false; // sent, and its answer has not been taken yet
    int m_inTime = 0;        // answers in a row that came within the window
    int m_needed = 1;        // ... before the next look
};
