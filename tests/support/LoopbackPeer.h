#pragma once

#include <QHostAddress>
#include <QList>
#include <QNetworkDatagram>
#include <QUdpSocket>

// A scripted device on loopback: records every datagram it receives and the
// port it came from, and answers that port (or any other) on demand.
struct LoopbackPeer {
    explicit LoopbackPeer(const QHostAddress &address = QHostAddress(QHostAddress::LocalHost))
    {
        bound = socket.bind(address, 0);
        QObject::connect(&socket, &QUdpSocket::readyRead, [this] {
            while (socket.hasPendingDatagrams()) {
                const QNetworkDatagram d = socket.receiveDatagram();
                received << d.data();
                lastSenderPort = quint16(d.senderPort());
            }
        });
    }
    quint16 port() const { return socket.localPort(); }
    void send(const QByteArray &bytes, quint16 toPort)
    {
        socket.writeDatagram(bytes, QHostAddress::LocalHost, toPort);
    }
    void reply(const QByteArray &bytes) { send(bytes, lastSenderPort); }

    QUdpSocket socket;
    bool bound = false;
    QList<QByteArray> received;
    quint16 lastSenderPort = 0;
};
