#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

class QSocketNotifier;

// An IPv4 UDP socket of our own: non-blocking, readable through a
// QSocketNotifier on the event loop, addresses and ports as host-order
// numbers. It exists for the paths that move one small datagram per file
// block: QUdpSocket peeks at its queue before every readyRead and carries a
// QHostAddress in a header through each read and write, which costs a few
// heap allocations and an extra system call per datagram. Here a read is one
// recvmsg into the caller's buffer and a send one sendmsg, with nothing
// allocated after bind().
//
// readyRead() is level-triggered: it comes again, from the event loop, as
// long as a datagram waits, so a handler reads one datagram per signal (or
// all of them) and must not leave the socket readable without reading.
class DatagramSocket : public QObject {
    Q_OBJECT
public:
    struct Peer {
        quint32 address = 0; // host order
        quint16 port = 0;
        bool operator==(const Peer &) const = default;
    };

    explicit DatagramSocket(QObject *parent = nullptr);
    ~DatagramSocket() override;

    // Binds to address:port (0 for any) and allows broadcast sends. With
    // wantDestination, receive() can also tell which local address each
    // datagram was sent to. False with the reason in errorString().
    bool bind(quint32 address, quint16 port, bool wantDestination = false);
    bool isOpen() const { return m_fd >= 0; }
    void close();
    quint32 localAddress() const;
    quint16 localPort() const;
    QString errorString() const;

    // The next waiting datagram into `buffer`, cut to `capacity` bytes; its
    // length, or -1 when none waits or the read failed. `destination` (needs
    // wantDestination) is the address it was sent to, 0 when unknown.
    qint64 receive(char *buffer, qint64 capacity, Peer *from, quint32 *destination = nullptr);
    // Sends one datagram; with a non-zero `source`, from that local address
    // (the socket bound to 0.0.0.0). The count sent, or -1 (errorString()).
    qint64 send(const char *data, qint64 size, Peer to, quint32 source = 0);

Q_SIGNALS:
    void readyRead();

private:
    int m_fd = -1;
    int m_errno = 0;
    QSocketNotifier *m_notifier = nullptr;
};
