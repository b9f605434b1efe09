#pragma once

#include "core/net/PingControl.h"

#include <QObject>
#include <QString>

// Pings one address until `replyLimit` replies or `timeoutLimit` time-outs
// have come, whichever is first: the Ping Device rule, where both limits are
// the same. The ping control is used with the values its owner gives
// (data size, wait for each reply, pause between requests).
// The run is told as the lines of a console ping (PingReport): the header at
// each start, then one line per reply or time-out, so every front end shows
// the same text.
class PingSeries : public QObject {
    Q_OBJECT
public:
    explicit PingSeries(const PingOptions &options, QObject *parent = nullptr,
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
    PingOptions m_options;
    int m_replyLimit = 1;
    int m_timeoutLimit = 1;
    int m_replies = 0;
    int m_timeouts = 0;
};
