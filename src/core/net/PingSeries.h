#pragma once

#include "core/net/PingControl.h"

#include <QObject>
#include <QString>

// Pings one address until `replyLimit` replies or `timeoutLimit` time-outs
// have come, whichever is first: the Ping Device rule, with both limits at 4.
// The ping control is used with the values the dialogs give it (32 bytes of
// data, `firstMs` wait for each reply, `secondMs` pause between requests).
class PingSeries : public QObject {
    Q_OBJECT
public:
    PingSeries(int firstMs, int secondMs, QObject *parent = nullptr,
               PingControl::SocketOpener opener = {});

    // Throws Failure when the address is not one or no ICMP socket opens.
    void start(const QString &address, int replyLimit, int timeoutLimit);
    void stop();

    bool isRunning() const { return m_ping.isEnabled(); }
    int replies() const { return m_replies; }
    int timeouts() const { return m_timeouts; }

Q_SIGNALS:
    void replied(quint16 sequence, quint16 dataBytes, quint32 roundTripMs);
    void timedOut();
    // After the stop; `answered`: the reply limit was reached.
    void finished(bool answered);

private:
    void onReply(quint16 sequence, quint16 dataBytes, quint32 roundTripMs);
    void onTimeout();

    PingControl m_ping;
    int m_firstMs;
    int m_secondMs;
    int m_replyLimit = 4;
    int m_timeoutLimit = 4;
    int m_replies = 0;
    int m_timeouts = 0;
};
