#include "core/net/UdpSocketControl.h"

#include "core/support/AddressChecks.h"
#include "core/support/Failure.h"

namespace {
// Larger than any IPv4 datagram, so no size peek is needed before a read.
constexpr qint64 kMaxDatagram = 65536;
} // namespace

QHostAddress parseDottedAddress(const QString &text)
{
    // Blanks, signs and leading zeros inside the parts are allowed.
    constexpr DottedRules kHostAddress{.negativeOutOfRange = true};
    const DottedText read = readDotted(text, kHostAddress);
    return read.ok() ? QHostAddress(read.address()) : QHostAddress();
}

UdpSocketControl::UdpSocketControl(QObject *parent) : QObject(parent) {}

UdpSocketControl::~UdpSocketControl()
{
    close();
}

quint16 UdpSocketControl::localPort() const
{
    return m_socket ? m_socket->localPort() : 0;
}

void UdpSocketControl::connectSocket()
{
    if (m_family != 2 || m_type != 2 || m_protocol != 0)
        throw Failure(FailureNumber::InvalidAddress,
                      QStringLiteral("Only IPv4 datagram sockets are supported"));
    const QHostAddress peer = parseDottedAddress(m_hostText);
    if (peer.isNull())
        throw Failure(FailureNumber::InvalidAddress,
                      QStringLiteral("Invalid host address: ") + m_hostText);
    if (m_socket)
        close();

    // Our own socket rather than QUdpSocket: see DatagramSocket for why.
    auto *socket = new DatagramSocket(this);
    if (!socket->bind(0, m_localPort)) {
        const QString why = socket->errorString();
        delete socket;
        throw Failure(FailureNumber::SocketBindFailed,
                      QStringLiteral("Could not open a UDP socket: ") + why);
    }
    if (!m_buffer)
        m_buffer = std::make_unique<char[]>(kMaxDatagram);
    m_socket = socket;
    m_peer = peer.toIPv4Address();
    m_peerPort = m_remotePort;
    m_peerPortLocked = false;
    m_state = 0; // non-zero only once the connection event has been raised
    connect(m_socket, &DatagramSocket::readyRead, this, &UdpSocketControl::onReadyRead);

    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        this, [this, generation] { raiseConnected(generation); }, Qt::QueuedConnection);
}

void UdpSocketControl::raiseConnected(quint64 generation)
{
    if (generation != m_generation || !m_socket)
        return; // closed before the event could be raised
    m_state = 1;
    Q_EMIT connected();
}

qint64 UdpSocketControl::send(QByteArrayView bytes)
{
    if (!m_socket)
        throw Failure(FailureNumber::SocketNotConnected, QStringLiteral("Socket is not connected"));
    const qint64 sent = m_socket->send(bytes.data(), bytes.size(), {m_peer, m_peerPort});
    if (sent < 0)
        throw Failure(FailureNumber::SocketSendFailed,
                      QStringLiteral("Could not send datagram: ") + m_socket->errorString());
    return sent;
}

QByteArray UdpSocketControl::read(qint64 maxLength)
{
    QByteArray datagram;
    if (m_haveCurrent) {
        datagram = m_current.toByteArray();
        m_haveCurrent = false;
    } else if (!m_queue.isEmpty()) {
        datagram = m_queue.takeFirst();
    }
    return maxLength >= 0 ? datagram.left(maxLength) : QByteArray();
}

void UdpSocketControl::close()
{
    ++m_generation;
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->close();
        if (m_readDepth > 0)
            m_retired.append(m_socket); // deleted when the read frame ends
        else
            m_socket->deleteLater();
        m_socket = nullptr;
    }
    m_state = 0;
    m_queue.clear();
    m_haveCurrent = false;
    m_peerPortLocked = false;
}

bool UdpSocketControl::fromPeer(DatagramSocket::Peer sender)
{
    if (sender.address != m_peer)
        return false;
    if (sender.port == m_peerPort)
        return true;
    if (m_acceptAnyPort && !m_peerPortLocked) {
        m_peerPort = sender.port;
        m_peerPortLocked = true;
        return true;
    }
    return false;
}

void UdpSocketControl::onReadyRead()
{
    // The socket stays alive until this frame ends, even when a handler closes
    // the control and then waits in a nested event loop (a modal box).
    // One datagram per notification: the socket notifies again, from the
    // event loop, while more are waiting; inside a handler's nested loop too,
    // and then the datagram is read into a copy of its own, since the buffer
    // still holds the one being raised.
    ++m_readDepth;
    DatagramSocket *const socket = m_socket;
    DatagramSocket::Peer sender;
    if (m_dispatching) {
        QByteArray copy(kMaxDatagram, Qt::Uninitialized);
        const qint64 length = socket->receive(copy.data(), kMaxDatagram, &sender);
        if (length >= 0 && fromPeer(sender)) {
            if (m_acceptAnyPort)
                m_peerPortLocked = true;
            copy.truncate(length);
            copy.squeeze();
            m_queue.append(copy);
        }
    } else {
        const qint64 length = socket->receive(m_buffer.get(), kMaxDatagram, &sender);
        if (length >= 0 && fromPeer(sender)) {
            if (m_acceptAnyPort)
                m_peerPortLocked = true;
            raise(QByteArrayView(m_buffer.get(), length));
            dispatchQueued();
        }
    }
    if (--m_readDepth == 0) {
        for (DatagramSocket *retired : std::as_const(m_retired))
            retired->deleteLater();
        m_retired.clear();
    }
}

void UdpSocketControl::raise(QByteArrayView datagram)
{
    m_dispatching = true;
    m_current = datagram;
    m_haveCurrent = true;
    Q_EMIT dataArrived(int(qMin<qsizetype>(datagram.size(), 65535)));
    m_haveCurrent = false;
    m_current = {};
    m_dispatching = false;
}

void UdpSocketControl::dispatchQueued()
{
    // Datagrams are raised one at a time and never re-entrantly: one that
    // arrives while a handler waits in a nested loop is raised when that
    // handler returns. close() empties the queue, so whatever is queued then
    // belongs to the socket as it is now (possibly reconnected).
    if (m_dispatching)
        return;
    while (!m_queue.isEmpty()) {
        m_held = m_queue.takeFirst();
        raise(m_held);
    }
    m_held.clear();
}
