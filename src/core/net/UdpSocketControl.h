#pragma once

#include "core/net/DatagramSocket.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>

// The UDP socket control that the query and download dialogs drive by
// properties and events, on a DatagramSocket and the event loop.
//
// connectSocket() binds a local port and associates the control with the
// remote host and port; the connected() event follows through the event loop,
// never inside the call. Each arriving datagram from the associated peer
// raises dataArrived(length); the handler then read()s it, or looks at it in
// place through datagram(). Failures of the operations are thrown as Failure.
// A datagram raised straight from the socket is neither copied nor allocated
// for: only one that arrives while a handler waits in a nested loop is kept
// aside, to be raised once that handler returns.
class UdpSocketControl : public QObject {
    Q_OBJECT
public:
    explicit UdpSocketControl(QObject *parent = nullptr);
    ~UdpSocketControl() override;

    // Settings made at dialog load. Only IPv4 (2), protocol 0 and datagram
    // type (2) are supported; connectSocket() refuses anything else.
    void setAddressFamily(int family) { m_family = family; }
    void setProtocol(int protocol) { m_protocol = protocol; }
    void setSocketType(int type) { m_type = type; }
    void setBinary(bool on) { m_binary = on; }
    void setBlocking(bool on) { m_blocking = on; }

    void setHostAddress(const QString &dottedAddress) { m_hostText = dottedAddress; }
    void setLocalPort(quint16 port) { m_localPort = port; }
    void setRemotePort(quint16 port) { m_remotePort = port; }

    // Off by default: only datagrams from the remote host and port are taken.
    // On: the first datagram from the remote host on any port is taken and
    // the control continues with that port (TFTP transfer identifiers).
    void setAcceptReplyFromAnyPort(bool on) { m_acceptAnyPort = on; }

    bool isConnected() const { return m_socket != nullptr; }
    // Zero while closed and until the connection event has been raised (the
    // association is then established), non-zero afterwards. Stop Download
    // relies on it: a zero state defers the cancel to the connection event.
    int state() const { return m_state; }
    quint16 localPort() const;
    quint16 peerPort() const { return m_peerPort; }

    void connectSocket();
    // Sends the bytes as one datagram to the peer; returns the count sent.
    qint64 send(QByteArrayView bytes);
    // The datagram of the current data-arrival event (or the next one
    // waiting), cut to maxLength bytes. Its size is the count read.
    QByteArray read(qint64 maxLength);
    // The datagram of the current data-arrival event, in place: valid until
    // the handler returns; empty outside one or once read() has taken it.
    QByteArrayView datagram() const { return m_haveCurrent ? m_current : QByteArrayView(); }
    // Closes the socket; the control can be set up and connected again.
    void close();

Q_SIGNALS:
    void connected();
    void dataArrived(int byteCount);

private:
    void onReadyRead();
    void raiseConnected(quint64 generation);
    void raise(QByteArrayView datagram);
    void dispatchQueued();
    bool fromPeer(DatagramSocket::Peer sender);

    int m_family = 2;
    int m_protocol = 0;
    int m_type = 2;
    bool m_binary = true;
    bool m_blocking = false;
    QString m_hostText;
    quint16 m_localPort = 0;
    quint16 m_remotePort = 0;
    bool m_acceptAnyPort = false;

    DatagramSocket *m_socket = nullptr;
    quint32 m_peer = 0;
    quint16 m_peerPort = 0;
    bool m_peerPortLocked = false;
    int m_state = 0;
    quint64 m_generation = 0;         // changes at each close, so stale events are dropped
    std::unique_ptr<char[]> m_buffer; // what a datagram is read into, made at the first connect
    QList<QByteArray> m_queue;        // arrived while a handler waited in a nested loop
    QByteArray m_held;                // the queued datagram being raised
    QByteArrayView m_current;         // the datagram being raised
    bool m_haveCurrent = false;
    bool m_dispatching = false;
    int m_readDepth = 0;
    QList<DatagramSocket *> m_retired;
};

// Reads a dotted IPv4 text leniently (blanks, signs and leading zeros inside
// the parts are allowed); returns a null address when it is not one.
QHostAddress parseDottedAddress(const QString &text);
