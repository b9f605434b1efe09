#include "TftpWriteServer.h"

#include "DelayLine.h"
#include "TftpReceiveFile.h"

#include <QDir>
#include <QSet>
#include <QTimer>
#include <QtEndian>
#include <cmath>

namespace {
constexpr int IdleMs = 30000; // a transfer silent this long is forgotten
constexpr qint64 MaxDatagram = 65536;

QByteArray errorPacket(quint16 code, const QByteArray &text)
{
    QByteArray packet(4, '\0');
    packet[1] = 5;
    qToBigEndian(code, packet.data() + 2);
    return packet + text + '\0';
}

quint16 opcodeOf(QByteArrayView bytes)
{
    return bytes.size() < 2 ? 0 : qFromBigEndian<quint16>(bytes.data());
}

QHostAddress addressOf(quint32 address)
{
    return address ? QHostAddress(address) : QHostAddress();
}
} // namespace

struct TftpWriteServer::Transfer {
    QString name;
    Endpoint endpoint;
    Peer peer;
    quint32 source = 0; // the sender address of our answers (0: the system's choice)
    DatagramSocket *socket = nullptr;
    std::unique_ptr<DatagramSocket> ownSocket; // NewPort only
    TftpReceiveFile file;
    QObject guard;        // context of delayed acknowledgements
    QTimer idle;          // a transfer silent for IdleMs is forgotten
    qint64 lastHeard = 0; // on m_clock
    QSet<quint16> lost;   // blocks of lostDataBlocks already lost once
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
    m_buffer = std::make_unique<char[]>(MaxDatagram);
    m_clock.start();
    // The destination of each request tells which device it was sent to.
    m_listener = new DatagramSocket(this);
    if (!m_listener->bind(settings.bindAddress.toIPv4Address(), settings.port, true)) {
        if (error)
            *error = QStringLiteral("Cannot bind the TFTP port %1: %2")
                         .arg(settings.port)
                         .arg(m_listener->errorString());
        delete m_listener;
        m_listener = nullptr;
        return false;
    }
    connect(m_listener, &DatagramSocket::readyRead, this, [this] { readOne(m_listener); });
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

void TftpWriteServer::readOne(DatagramSocket *socket)
{
    // One datagram per notification: the socket notifies again while more
    // wait. Handling may drop a transfer; its socket lives until the event
    // loop removes it, and every transfer is looked up afresh.
    Arrived datagram;
    const qint64 length =
        socket->receive(m_buffer.get(), MaxDatagram, &datagram.from, &datagram.destination);
    if (length < 0)
        return;
    datagram.bytes = QByteArrayView(m_buffer.get(), length);
    if (lostOnTheWay(socket, datagram))
        return;
    log(false, datagram.from, socket, datagram.bytes, {});
    handle(socket, datagram);
}

void TftpWriteServer::log(bool sent, Peer peer, DatagramSocket *socket, QByteArrayView bytes,
                          const QString &device)
{
    if (m_settings.logDatagrams)
        Q_EMIT datagramLogged({QDateTime::currentDateTime(), sent, QHostAddress(peer.address),
                               peer.port, socket->localPort(), bytes.toByteArray(), device});
}

bool TftpWriteServer::lostOnTheWay(DatagramSocket *socket, const Arrived &datagram)
{
    const QByteArrayView bytes = datagram.bytes;
    if (m_settings.lostDataBlocks.isEmpty() || opcodeOf(bytes) != 3 || bytes.size() < 4)
        return false;
    Transfer *transfer = find(socket, datagram.from);
    const quint16 block = qFromBigEndian<quint16>(bytes.data() + 2);
    if (!transfer || !m_settings.lostDataBlocks.contains(block) || transfer->lost.contains(block))
        return false;
    transfer->lost.insert(block);
    Q_EMIT notice(QStringLiteral("Data block %1 of %2 lost on the way (simulated)")
                      .arg(block)
                      .arg(transfer->name));
    return true;
}

void TftpWriteServer::handle(DatagramSocket *socket, const Arrived &datagram)
{
    const QByteArrayView bytes = datagram.bytes;
    const Peer peer = datagram.from;
    const quint16 opcode = opcodeOf(bytes);

    if (m_settings.fault == TftpFault::NeverAck)
        return;
    if (socket == m_listener && (opcode == 1 || opcode == 2)) {
        const std::optional<Endpoint> endpoint = endpointOf(datagram);
        if (!endpoint)
            Q_EMIT notice(QStringLiteral("No device at %1: request ignored")
                              .arg(addressOf(datagram.destination).toString()));
        else if (opcode == 1)
            sendFrom(socket, errorPacket(4, "Only write requests are served"), peer, *endpoint);
        else
            handleRequest(datagram, *endpoint);
        return;
    }
    Transfer *transfer = find(socket, peer);
    if (opcode == 3 && bytes.size() >= 4) {
        if (transfer)
            handleData(transfer, bytes);
        else
            sendFrom(socket, errorPacket(5, "Unknown transfer ID"), peer,
                     endpointOf(datagram).value_or(Endpoint{}));
    } else if (opcode == 5 && transfer) {
        Q_EMIT notice(QStringLiteral("Transfer of %1 aborted by the writer").arg(transfer->name));
        drop(transfer);
    }
    // Anything else (acknowledgements, fragments) is only logged.
}

std::optional<TftpWriteServer::Endpoint> TftpWriteServer::endpointOf(const Arrived &datagram) const
{
    if (m_settings.endpointFor)
        return m_settings.endpointFor(addressOf(datagram.destination));
    return Endpoint{m_settings.storeFolder, {}, {}};
}

void TftpWriteServer::handleRequest(const Arrived &datagram, const Endpoint &endpoint)
{
    const Peer peer = datagram.from;
    const QList<QByteArray> fields = datagram.bytes.sliced(2).toByteArray().split('\0');
    // name \0 mode \0 [options...]: the split leaves at least three parts.
    if (fields.size() < 3) {
        sendFrom(m_listener, errorPacket(4, "Malformed write request"), peer, endpoint);
        return;
    }
    const QString name = QString::fromLatin1(fields.at(0));
    if (m_settings.fault == TftpFault::ErrorPacket) {
        sendFrom(m_listener, errorPacket(0, "Simulated fault"), peer, endpoint);
        return;
    }
    if (fields.at(1).toLower() != "octet") {
        sendFrom(m_listener, errorPacket(0, "Only octet mode is supported"), peer, endpoint);
        return;
    }
    if (!isAcceptableName(name)) {
        Q_EMIT notice(QStringLiteral("Refused the file name \"%1\"").arg(name));
        sendFrom(m_listener, errorPacket(2, "Access violation"), peer, endpoint);
        return;
    }
    if (Transfer *old = find(m_listener, peer))
        drop(old); // the writer started over

    auto transfer = std::make_unique<Transfer>();
    transfer->name = name;
    transfer->endpoint = endpoint;
    transfer->peer = peer;
    transfer->socket = m_listener;
    QString error;
    if (!transfer->file.open(QDir(endpoint.folder).filePath(name), &error)) {
        Q_EMIT notice(QStringLiteral("Cannot store %1: %2").arg(name, error));
        sendFrom(m_listener, errorPacket(2, "Access violation"), peer, endpoint);
        return;
    }
    if (m_settings.fault == TftpFault::NewPort) {
        transfer->ownSocket = std::make_unique<DatagramSocket>();
        // Answers from the new port still come from the device's address.
        const QHostAddress local =
            endpoint.source.isNull() ? m_settings.bindAddress : endpoint.source;
        if (!transfer->ownSocket->bind(local.toIPv4Address(), 0)) {
            Q_EMIT notice(QStringLiteral("Cannot open a transfer port: ") +
                          transfer->ownSocket->errorString());
            transfer->file.discard();
            return;
        }
        DatagramSocket *own = transfer->ownSocket.get();
        connect(own, &DatagramSocket::readyRead, this, [this, own] { readOne(own); });
        transfer->socket = own;
    }
    transfer->source = sourceFor(transfer->socket, endpoint);
    Transfer *t = transfer.get();
    t->idle.setSingleShot(true);
    connect(&t->idle, &QTimer::timeout, this, [this, t] { idleDue(t); });
    m_transfers.push_back(std::move(transfer));
    touch(t);
    acknowledge(t, 0, true);
}

void TftpWriteServer::handleData(Transfer *transfer, QByteArrayView bytes)
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
                 transfer->peer, transfer->endpoint);
        transfer->file.discard();
        drop(transfer);
        break;
    }
}

void TftpWriteServer::acknowledge(Transfer *transfer, quint16 block, bool fresh)
{
    const int copies = (fresh && m_settings.fault == TftpFault::RepeatAck) ? 2 : 1;
    const bool shortened = m_settings.fault == TftpFault::ShortDatagram;
    auto send = [this, transfer, block, copies, shortened] {
        // Shortened: 00 04 00, no block number.
        const char packet[4] = {0, 4, shortened ? char(0) : char(block >> 8), char(block & 0xFF)};
        for (int i = 0; i < copies; ++i)
            sendFrom(transfer->socket, QByteArrayView(packet, shortened ? 3 : 4), transfer->peer,
                     transfer->source, transfer->endpoint.device);
    };
    if (m_ackDelay)
        m_ackDelay->post(&transfer->guard, send);
    else
        send();
}

quint32 TftpWriteServer::sourceFor(DatagramSocket *socket, const Endpoint &endpoint) const
{
    // A socket bound to one address sends from that address anyway.
    if (endpoint.source.protocol() != QAbstractSocket::IPv4Protocol || socket->localAddress() != 0)
        return 0;
    return endpoint.source.toIPv4Address();
}

void TftpWriteServer::sendFrom(DatagramSocket *socket, QByteArrayView bytes, Peer peer,
                               const Endpoint &endpoint)
{
    sendFrom(socket, bytes, peer, sourceFor(socket, endpoint), endpoint.device);
}

void TftpWriteServer::sendFrom(DatagramSocket *socket, QByteArrayView bytes, Peer peer,
                               quint32 source, const QString &device)
{
    if (socket->send(bytes.data(), bytes.size(), peer, source) < 0) {
        Q_EMIT notice(QStringLiteral("Send failed: ") + socket->errorString());
        return;
    }
    log(true, peer, socket, bytes, device);
}

TftpWriteServer::Transfer *TftpWriteServer::find(DatagramSocket *socket, Peer peer) const
{
    for (const auto &t : m_transfers) {
        if (!t->dead && t->socket == socket && t->peer == peer)
            return t.get();
    }
    return nullptr;
}

void TftpWriteServer::touch(Transfer *transfer)
{
    // Not a timer restarted per datagram (each restart registers a timer
    // anew): the time of the last one is kept, and the timer, when it comes,
    // waits on for whatever is left.
    transfer->lastHeard = m_clock.elapsed();
    if (!transfer->idle.isActive())
        transfer->idle.start(IdleMs);
}

void TftpWriteServer::idleDue(Transfer *transfer)
{
    const qint64 left = transfer->lastHeard + IdleMs - m_clock.elapsed();
    if (left > 0)
        transfer->idle.start(int(left));
    else
        drop(transfer);
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
