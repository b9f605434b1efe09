#include "core/device/DeviceDiscovery.h"

#include "core/net/UnproxiedUdpSocket.h"
#include "core/support/Failure.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

#include <sys/socket.h>

namespace {
constexpr qint64 kMaxDatagram = 65536;

int receiveBuffer(int fd)
{
    int bytes = 0;
    socklen_t length = sizeof bytes;
    return ::getsockopt(fd, SOL_SOCKET, SO_RCVBUF, &bytes, &length) == 0 ? bytes : 0;
}

// Asks for `wanted` bytes; above the system's ceiling only a privileged
// process gets more (SO_RCVBUFFORCE). Returns what was granted.
int growReceiveBuffer(int fd, int wanted)
{
    if (wanted <= 0)
        return receiveBuffer(fd);
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &wanted, sizeof wanted);
    if (receiveBuffer(fd) < wanted)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &wanted, sizeof wanted);
    return receiveBuffer(fd);
}
} // namespace

DeviceDiscovery::DeviceDiscovery(QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &DeviceDiscovery::finish);
}

DeviceDiscovery::~DeviceDiscovery()
{
    stop();
}

QUdpSocket *DeviceDiscovery::openSocket(const LocalInterface &interface, DiscoveryInterface &info)
{
    auto *socket = newUdpSocket(this);
    if (socket->bind(QHostAddress::AnyIPv4, 0)) {
        const QByteArray name = interface.name.toLocal8Bit();
        if (::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_BINDTODEVICE,
                         name.constData(), socklen_t(name.size())) == 0) {
            info.boundToDevice = true;
            return socket;
        }
    }
    delete socket;
    socket = newUdpSocket(this);
    if (!socket->bind(info.address, 0)) {
        const QString why = socket->errorString();
        delete socket;
        throw Failure(
            FailureNumber::SocketBindFailed,
            QStringLiteral("Could not open a UDP socket on %1: %2").arg(interface.name, why));
    }
    return socket;
}

void DeviceDiscovery::start(const DiscoveryOptions &options)
{
    stop();
    const InterfaceChoice choice =
        chooseBroadcastInterfaces(localInterfaces(), options.interfaceNames);
    if (!choice.error.isEmpty())
        throw Failure(FailureNumber::NoUsableInterface, choice.error);
    m_options = options;
    m_tally = DiscoveryTally();
    m_interfaces.clear();

    // Every socket is open before the first query leaves, so no early reply is lost.
    try {
        for (const LocalInterface &interface : choice.chosen) {
            DiscoveryInterface info;
            info.name = interface.name;
            info.address = interface.ipv4.first().address;
            for (const InterfaceAddress &entry : interface.ipv4)
                if (!entry.broadcast.isNull() &&
                    !info.destinations.contains(entry.broadcast.toString()))
                    info.destinations.append(entry.broadcast.toString());
            info.destinations.append(QHostAddress(QHostAddress::Broadcast).toString());
            QUdpSocket *socket = openSocket(interface, info);
            m_sockets.append(socket);
            info.receiveBufferBytes =
                growReceiveBuffer(int(socket->socketDescriptor()), options.receiveBufferBytes);
            const QString name = interface.name;
            connect(socket, &QUdpSocket::readyRead, this,
                    [this, socket, name] { readFrom(socket, name); });
            m_interfaces.append(info);
        }
    } catch (const Failure &) {
        stop();
        throw;
    }

    m_clock.start();
    m_timer.start(options.timeoutMs);
    const QByteArray query = queryRequest();
    for (qsizetype i = 0; i < m_sockets.size(); ++i) {
        DiscoveryInterface &info = m_interfaces[i];
        for (const QString &destination : std::as_const(info.destinations)) {
            if (m_sockets[i]->writeDatagram(query, QHostAddress(destination), options.port) < 0)
                info.sendErrors.append(destination + QStringLiteral(": ") +
                                       m_sockets[i]->errorString());
        }
    }
}

void DeviceDiscovery::readFrom(QUdpSocket *socket, const QString &interfaceName)
{
    while (socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = socket->receiveDatagram(kMaxDatagram);
        if (!datagram.isValid())
            continue;
        const auto taken = m_tally.add(datagram.data(), datagram.senderAddress(), interfaceName,
                                       m_clock.elapsed());
        if (taken == DiscoveryTally::Taken::NewDevice)
            Q_EMIT deviceFound(m_tally.device(decodeQueryReply(datagram.data()).hardwareAddress));
    }
}

void DeviceDiscovery::finish()
{
    // Replies already waiting in a socket still count.
    for (qsizetype i = 0; i < m_sockets.size(); ++i)
        readFrom(m_sockets[i], m_interfaces[i].name);
    stop();
    Q_EMIT finished();
}

void DeviceDiscovery::stop()
{
    m_timer.stop();
    for (QUdpSocket *socket : std::as_const(m_sockets)) {
        socket->disconnect(this);
        socket->close();
        socket->deleteLater();
    }
    m_sockets.clear();
}
