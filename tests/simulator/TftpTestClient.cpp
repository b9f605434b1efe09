#include "TftpTestClient.h"

#include <QNetworkDatagram>
#include <QtEndian>

TftpTestClient::TftpTestClient(const QHostAddress &server, QObject *parent)
    : QObject(parent), m_server(server)
{
    m_socket.bind(server.isLoopback() ? server : QHostAddress(QHostAddress::AnyIPv4), 0);
    connect(&m_socket, &QUdpSocket::readyRead, this, &TftpTestClient::onReadyRead);
}

void TftpTestClient::write(const QString &name, const QByteArray &content, quint16 serverPort,
                           const QByteArray &mode)
{
    m_content = content;
    m_serverPort = serverPort;
    const QByteArray request = QByteArray::fromHex("0002") + name.toLatin1() + '\0' + mode + '\0';
    m_socket.writeDatagram(request, m_server, serverPort);
}

void TftpTestClient::sendBlock(quint16 block)
{
    const qsizetype offset = qsizetype(block - 1) * 512;
    const QByteArray payload = m_content.mid(offset, 512);
    QByteArray packet(4, '\0');
    packet[1] = 3;
    qToBigEndian(block, packet.data() + 2);
    m_socket.writeDatagram(packet + payload, m_server, m_serverPort);
    m_lastSent = block;
    m_lastWasFinal = payload.size() < 512;
    ++m_blocksSent;
}

void TftpTestClient::onReadyRead()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket.receiveDatagram();
        const QByteArray bytes = datagram.data();
        m_received.append(bytes);
        m_replyPorts.append(quint16(datagram.senderPort()));
        if (m_finished || failed() || bytes.size() < 4)
            continue;
        const quint16 opcode = qFromBigEndian<quint16>(bytes.constData());
        if (opcode == 5) {
            m_error = bytes;
            continue;
        }
        if (opcode != 4)
            continue;
        m_serverPort = quint16(datagram.senderPort()); // the server's transfer id
        const quint16 block = qFromBigEndian<quint16>(bytes.constData() + 2);
        if (block != m_lastSent)
            continue; // a stale or repeated acknowledgement
        if (block > 0 && m_lastWasFinal)
            m_finished = true;
        else
            sendBlock(quint16(block + 1));
    }
}
