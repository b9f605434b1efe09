#pragma once

#include "core/device/DeviceProtocol.h"

#include <QObject>
#include <QString>

class QTimer;
class UdpSocketControl;

// One dialog's device query: its UDP socket `sckSocket`, its time-out timer
// `tmrQuery`, and the steps that start, answer and end a query. It shows
// nothing; the dialog reacts to its signals.
class DeviceQuery : public QObject {
    Q_OBJECT
public:
    // remotePort: the device's query port; timeoutMs: the reply time-out.
    DeviceQuery(quint16 remotePort, int timeoutMs, QObject *parent = nullptr);

    // Dialog load: datagram socket in raw-byte, non-blocking mode; timer silent.
    void prepareSocket();

    // Busy pointer on and the time-out (re)armed, then the socket closed if
    // open, pointed at the trimmed address and connected. A failure of the
    // socket steps is thrown; the time-out stays armed and ends the query.
    void startQuery(const QString &address);

    // Back to idle: pointer normal, timer stopped, socket closed.
    void SocketCleanup();

    bool awaitingReply() const;
    UdpSocketControl &socket() const { return *sckSocket; }
    QTimer &timer() const { return *tmrQuery; }

Q_SIGNALS:
    void busyChanged(bool busy);
    void replyReceived(const DecodedReply &identity);
    void timedOut();

private:
    void onConnected();
    void onDataArrived(int byteCount);
    void onTick();

    UdpSocketControl *sckSocket;
    QTimer *tmrQuery;
    int m_timeoutMs;
    quint16 m_remotePort;
};
