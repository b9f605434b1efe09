#pragma once

#include "core/net/PingControl.h"

#include <QObject>
#include <QString>

// Pings one address until `replyLimit` replies or `timeoutLimit` time-outs
// have come, whichever is first: the Ping Device rule, with both limits at 4.
// The ping control is used with the values the dialogs give it (32 bytes of
// data, `firstMs` wait for each reply, `secondMs` pause between requests).
// The run is told as the lines of a console ping (PingReport): the header at
// each start, then one line per reply or time-out, so every front end shows
// the same text.
class PingSeries : public QObject {
    Q_OBJECT
public:
    static constexpr int DataBytes = 32;
    // Replies, or time-outs, after which Ping Device stops.
    static constexpr int DefaultLimit = 4;

    PingSeries(int firstMs, int secondMs, QObject *parent = nullptr,
               PingControl::SocketOpener opener = {});

    // Reports the header, then starts afresh (also while running). Throws
    // Failure when the address is not one or no ICMP socket opens; the
    // header has been reported then.
    void start(const QString &address, int replyLimit, int timeoutLimit);
    void stop();

    bool isRunning() const { return m_ping.isEnabled(); }
    int replies() const { return m_replies; }
    int timeouts() const { return m_timeouts; }
    // The control itself, for a window's object tree and its tests.
    PingControl &control() { return m_ping; }

Q_SIGNALS:
    // One line of the report, with its line end.
    void reported(const QString &text);
    void replied(quint16 sequence, quint16 dataBytes, quint32 roundTripMs);
    void timedOut();
    // The socket layer refused a send or reported a receive error; the
    // request still ends in its reply or time-out.
    void error(quint16 code, const QString &text);
    // After the stop; `answered`: the reply limit was reached.
    void finished(bool answered);

private:
    void onReply(quint16 sequence, quint16 dataBytes, quint32 roundTripMs);
    void onTimeout();

    PingControl m_ping;
    int m_firstMs;
    int m_replyLimit = DefaultLimit;
    int m_timeoutLimit = DefaultLimit;
    int m_replies = 0;
    int m_timeouts = 0;
};
