#include "TftpWriteServer.h"

#include "DelayLine.h"
#include "SourcedSend.h"
#include "TftpReceiveFile.h"
#include "core/net/UnproxiedUdpSocket.h"

#include <QDir>
#include <QNetworkDatagram>
#include <QSet>
#include <QTimer>
#include <QUdpSocket>
#include <QtEndian>
#include <cmath>

namespace {
constexpr int IdleMs = 30000; // a transfer silent this long is forgotten

QByteArray ackPacket(quint16 block)
{
    QByteArray packet(4, '\0');
    packet[1] = 4;
    qToBigEndian(block, packet.data() + 2);
    return packet;
}

QByteArray errorPacket(quint16 code, const QByteArray &text)
{
    QByteArray packet(4, '\0');
    packet[1] = 5;
    qToBigEndian(code, packet.data() + 2);
    return packet + text + '\0';
}

quint16 opcodeOf(const QByteArray &bytes)
{
    return bytes.size() < 2 ? 0 : qFromBigEndian<quint16>(bytes.constData());
}
} // namespace

struct TftpWriteServer::Transfer {
    QString name;
    Endpoint endpoint;
    QHostAddress peer;
    quint16 peerPort = 0;
    QUdpSocket *socket = nullptr;
    std::unique_ptr<QUdpSocket> ownSocket; // NewPort only
    TftpReceiveFile file;
    QObject guard;      // context of delayed acknowledgements
    QTimer idle;        // restarted by each datagram; a transfer silent this long is forgotten
    QSet<quint16> lost; // blocks of lostDataBlocks already lost once
    bool dead = false;
};

TftpWriteServer::TftpWriteServer(QObject *parent) : QObject(parent) {}

TftpWriteServer::~TftpWriteServer() = default;

bool TftpWriteServer::start(const Settings &settings, QString *error)
{
    if (!QDir(settings.storeFolder).exists()) {
        if (error)
            *error = QStringLiteral("The store folder does not exist: ") + settings.storeFolder;
        return false;
    }
    m_settings = settings;
    m_listener = newUdpSocket(this);
    if (!m_listener->bind(settings.bindAddress, settings.port)) {
        if (error)
            *error = QStringLiteral("Cannot bind the TFTP port %1: %2")
                         .arg(settings.port)
                         .arg(m_listener->errorString());
        delete m_listener;
        m_listener = nullptr;
        return false;
    }
    connect(m_listener, &QUdpSocket::readyRead, this, [this] { readAll(m_listener); });
    if (settings.fault == TftpFault::DelayAck && settings.ackDelayMs > 0)
        m_ackDelay = new DelayLine(
            std::chrono::microseconds(std::llround(settings.ackDelayMs * 1000)), this);
    return true;
}

quint16 TftpWriteServer::port() const
{
    return m_listener ? m_listener->localPort() : 0;
}

bool TftpWriteServer::isAcceptableName(const QString &name)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) ||
        name.contains(QStringLiteral("..")))
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    return true;
}

void TftpWriteServer::readAll(QUdpSocket *socket)
{
    // Handling may drop a transfer and with it a socket: read first, then
    // handle, looking every transfer up afresh.
    QList<QNetworkDatagram> arrived;
    while (socket->hasPendingDatagrams())
        arrived.append(socket->receiveDatagram());
    for (const QNetworkDatagram &datagram : arrived) {
        if (!datagram.isValid() || lostOnTheWay(socket, datagram))
            continue;
        Q_EMIT datagramLogged({QDateTime::currentDateTime(),
                               false,
                               datagram.senderAddress(),
                               quint16(datagram.senderPort()),
                               socket->localPort(),
                               datagram.data(),
                               {}});
        handle(socket, datagram);
    }
}

bool TftpWriteServer::lostOnTheWay(QUdpSocket *socket, const QNetworkDatagram &datagram)
{
    const QByteArray bytes = datagram.data();
    if (m_settings.lostDataBlocks.isEmpty() || opcodeOf(bytes) != 3 || bytes.size() < 4)
        return false;
    Transfer *transfer = find(socket, datagram.senderAddress(), quint16(datagram.senderPort()));
    const quint16 block = qFromBigEndian<quint16>(bytes.constData() + 2);
    if (!transfer || !m_settings.lostDataBlocks.contains(block) || transfer->lost.contains(block))
        return false;
    transfer->lost.insert(block);
    Q_EMIT notice(QStringLiteral("Data block %1 of %2 lost on the way (simulated)")
                      .arg(block)
                      .arg(transfer->name));
    return true;
}

void TftpWriteServer::handle(QUdpSocket *socket, const QNetworkDatagram &datagram)
{
    const QByteArray bytes = datagram.data();
    const QHostAddress peer = datagram.senderAddress();
    const quint16 peerPort = quint16(datagram.senderPort());
    const quint16 opcode = opcodeOf(bytes);

    if (m_settings.fault == TftpFault::NeverAck)
        return;
    if (socket == m_listener && (opcode == 1 || opcode == 2)) {
        const std::optional<Endpoint> endpoint = endpointOf(datagram);
        if (!endpoint)
            Q_EMIT notice(QStringLiteral("No device at %1: request ignored")
                              .arg(datagram.destinationAddress().toString()));
        else if (opcode == 1)
            sendFrom(socket, errorPacket(4, "Only write requests are served"), peer, peerPort,
                     *endpoint);
        else
            handleRequest(datagram, *endpoint);
        return;
    }
    Transfer *transfer = find(socket, peer, peerPort);
    if (opcode == 3 && bytes.size() >= 4) {
        if (transfer)
            handleData(transfer, bytes);
        else
            sendFrom(socket, errorPacket(5, "Unknown transfer ID"), peer, peerPort,
                     endpointOf(datagram).value_or(Endpoint{}));
    } else if (opcode == 5 && transfer) {
        Q_EMIT notice(QStringLiteral("Transfer of %1 aborted by the writer").arg(transfer->name));
        drop(transfer);
    }
    // Anything else (acknowledgements, fragments) is only logged.
}

std::optional<TftpWriteServer::Endpoint>
TftpWriteServer::endpointOf(const QNetworkDatagram &datagram) const
{
    if (m_settings.endpointFor)
        return m_settings.endpointFor(datagram.destinationAddress());
    return Endpoint{m_settings.storeFolder, {}, {}};
}

void TftpWriteServer::handleRequest(const QNetworkDatagram &datagram, const Endpoint &endpoint)
{
    const QByteArray bytes = datagram.data();
    const QHostAddress peer = datagram.senderAddress();
    const quint16 peerPort = quint16(datagram.senderPort());
    const QList<QByteArray> fields = bytes.mid(2).split('\0');
    // name \0 mode \0 [options...]: the split leaves at least three parts.
    if (fields.size() < 3) {
        sendFrom(m_listener, errorPacket(4, "Malformed write request"), peer, peerPort, endpoint);
        return;
    }
    const QString name = QString::fromLatin1(fields.at(0));
    if (m_settings.fault == TftpFault::ErrorPacket) {
        sendFrom(m_listener, errorPacket(0, "Simulated fault"), peer, peerPort, endpoint);
        return;
    }
    if (fields.at(1).toLower() != "octet") {
        sendFrom(m_listener, errorPacket(0, "Only octet mode is supported"), peer, peerPort,
                 endpoint);
        return;
    }
    if (!isAcceptableName(name)) {
        Q_EMIT notice(QStringLiteral("Refused the file name \"%1\"").arg(name));
        sendFrom(m_listener, errorPacket(2, "Access violation"), peer, peerPort, endpoint);
        return;
    }
    if (Transfer *old = find(m_listener, peer, peerPort))
        drop(old); // the writer started over

    auto transfer = std::make_unique<Transfer>();
    transfer->name = name;
    transfer->endpoint = endpoint;
    transfer->peer = peer;
    transfer->peerPort = peerPort;
    transfer->socket = m_listener;
    QString error;
    if (!transfer->file.open(QDir(endpoint.folder).filePath(name), &error)) {
        Q_EMIT notice(QStringLiteral("Cannot store %1: %2").arg(name, error));
        sendFrom(m_listener, errorPacket(2, "Access violation"), peer, peerPort, endpoint);
        return;
    }
    if (m_settings.fault == TftpFault::NewPort) {
        transfer->ownSocket.reset(newUdpSocket());
        // Answers from the new port still come from the device's address.
        const QHostAddress local =
            endpoint.source.isNull() ? m_settings.bindAddress : endpoint.source;
        if (!transfer->ownSocket->bind(local, 0)) {
            Q_EMIT notice(QStringLiteral("Cannot open a transfer port: ") +
                          transfer->ownSocket->errorString());
            transfer->file.discard();
            return;
        }
        QUdpSocket *own = transfer->ownSocket.get();
        connect(own, &QUdpSocket::readyRead, this, [this, own] { readAll(own); });
        transfer->socket = own;
    }
    Transfer *t = transfer.get();
    t->idle.setSingleShot(true);
    t->idle.setInterval(IdleMs);
    connect(&t->idle, &QTimer::timeout, this, [this, t] { drop(t); });
    m_transfers.push_back(std::move(transfer));
    touch(t);
    acknowledge(t, 0, true);
}

void TftpWriteServer::handleData(Transfer *transfer, const QByteArray &bytes)
{
    touch(transfer);
    const TftpReceiveFile::Result result = transfer->file.accept(bytes);
    switch (result.outcome) {
    case TftpReceiveFile::Outcome::Stored:
        acknowledge(transfer, result.block, true);
        if (result.finished)
            Q_EMIT fileStored(transfer->name, transfer->file.size(), transfer->endpoint.device);
        break;
    case TftpReceiveFile::Outcome::Duplicate:
        // A repeated acknowledgement would be answered with another repeat
        // block: under RepeatAck only fresh blocks are acknowledged.
        if (m_settings.fault != TftpFault::RepeatAck)
            acknowledge(transfer, result.block, false);
        break;
    case TftpReceiveFile::Outcome::OutOfOrder:
        break;
    case TftpReceiveFile::Outcome::Failed:
        Q_EMIT notice(QStringLiteral("Transfer of %1 failed: %2")
                          .arg(transfer->name, transfer->file.errorText()));
        sendFrom(transfer->socket, errorPacket(3, transfer->file.errorText().toLatin1()),
                 transfer->peer, transfer->peerPort, transfer->endpoint);
        transfer->file.discard();
        drop(transfer);
        break;
    }
}

void TftpWriteServer::acknowledge(Transfer *transfer, quint16 block, bool fresh)
{
    const QByteArray packet = m_settings.fault == TftpFault::ShortDatagram
                                  ? QByteArray::fromHex("000400")
                                  : ackPacket(block);
    const int copies = (fresh && m_settings.fault == TftpFault::RepeatAck) ? 2 : 1;
    auto send = [this, transfer, packet, copies] {
        for (int i = 0; i < copies; ++i)
            sendFrom(transfer->socket, packet, transfer->peer, transfer->peerPort,
                     transfer->endpoint);
    };
    if (m_ackDelay)
        m_ackDelay->post(&transfer->guard, send);
    else
        send();
}

void TftpWriteServer::sendFrom(QUdpSocket *socket, const QByteArray &bytes,
                               const QHostAddress &peer, quint16 peerPort, const Endpoint &endpoint)
{
    QString why;
    if (sendDatagramFrom(*socket, bytes, endpoint.source, peer, peerPort, &why) < 0) {
        Q_EMIT notice(QStringLiteral("Send failed: ") + why);
        return;
    }
    Q_EMIT datagramLogged({QDateTime::currentDateTime(), true, peer, peerPort, socket->localPort(),
                           bytes, endpoint.device});
}

TftpWriteServer::Transfer *TftpWriteServer::find(QUdpSocket *socket, const QHostAddress &peer,
                                                 quint16 peerPort) const
{
    for (const auto &t : m_transfers) {
        if (!t->dead && t->socket == socket && t->peerPort == peerPort &&
            t->peer.isEqual(peer, QHostAddress::TolerantConversion))
            return t.get();
    }
    return nullptr;
}

void TftpWriteServer::touch(Transfer *transfer)
{
    // One timer per transfer, restarted: a timer per datagram would pile up
    // tens of thousands of them in a long transfer and stall the event loop.
    transfer->idle.start();
}

void TftpWriteServer::drop(Transfer *transfer)
{
    // Removal waits for the event loop: the caller may be inside a signal of
    // the transfer's own socket or timer.
    if (transfer->dead)
        return;
    transfer->dead = true;
    if (transfer->ownSocket)
        transfer->ownSocket->disconnect(this);
    QMetaObject::invokeMethod(
        this,
        [this] {
            std::erase_if(m_transfers, [](const std::unique_ptr<Transfer> &t) { return t->dead; });
        },
        Qt::QueuedConnection);
}
