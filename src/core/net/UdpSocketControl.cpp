#include "core/net/UdpSocketControl.h"

#include "core/net/UnproxiedUdpSocket.h"
#include "core/support/AddressChecks.h"
#include "core/support/Failure.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

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

    auto *socket = newUdpSocket(this);
    if (!socket->bind(QHostAddress::AnyIPv4, m_localPort)) {
        const QString why = socket->errorString();
        delete socket;
        throw Failure(FailureNumber::SocketBindFailed,
                      QStringLiteral("Could not open a UDP socket: ") + why);
    }
    m_socket = socket;
    m_peer = peer;
    m_peerPort = m_remotePort;
    m_peerPortLocked = false;
    m_state = 0; // non-zero only once the connection event has been raised
    connect(m_socket, &QUdpSocket::readyRead, this, &UdpSocketControl::onReadyRead);

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

qint64 UdpSocketControl::send(const QByteArray &bytes)
{
    if (!m_socket)
        throw Failure(FailureNumber::SocketNotConnected, QStringLiteral("Socket is not connected"));
    const qint64 sent = m_socket->writeDatagram(bytes, m_peer, m_peerPort);
    if (sent < 0)
        throw Failure(FailureNumber::SocketSendFailed,
                      QStringLiteral("Could not send datagram: ") + m_socket->errorString());
    return sent;
}

QByteArray UdpSocketControl::read(qint64 maxLength)
{
    QByteArray datagram;
    if (m_haveCurrent) {
        datagram = m_current;
        m_haveCurrent = false;
        m_current.clear();
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
    m_current.clear();
    m_haveCurrent = false;
    m_peerPortLocked = false;
}

bool UdpSocketControl::fromPeer(const QHostAddress &sender, quint16 senderPort)
{
    if (!sender.isEqual(m_peer, QHostAddress::TolerantConversion))
        return false;
    if (senderPort == m_peerPort)
        return true;
    if (m_acceptAnyPort && !m_peerPortLocked) {
        m_peerPort = senderPort;
        m_peerPortLocked = true;
        return true;
    }
    return false;
}

void UdpSocketControl::onReadyRead()
{
    // The socket stays alive until this frame ends, even when a handler closes
    // the control and then waits in a nested event loop (a modal box).
    // One datagram per notification: the socket notifies again while more
    // are waiting. Not so while a handler of ours waits in a nested loop: the
    // socket does not notify inside its own notification and then stops
    // notifying, so after a raised event whatever came meanwhile is read here.
    ++m_readDepth;
    QUdpSocket *const socket = m_socket;
    bool raised = false;
    do {
        const QNetworkDatagram datagram = socket->receiveDatagram(kMaxDatagram);
        raised = datagram.isValid() &&
                 fromPeer(datagram.senderAddress(), quint16(datagram.senderPort()));
        if (raised) {
            if (m_acceptAnyPort)
                m_peerPortLocked = true;
            m_queue.append(datagram.data());
            dispatchQueued();
        }
    } while (raised && m_socket == socket && socket->hasPendingDatagrams());
    if (--m_readDepth == 0) {
        for (QUdpSocket *retired : std::as_const(m_retired))
            retired->deleteLater();
        m_retired.clear();
    }
}

void UdpSocketControl::dispatchQueued()
{
    // Datagrams are raised one at a time and never re-entrantly: one that
    // arrives while a handler waits in a nested loop is raised when that
    // handler returns. close() empties the queue, so whatever is queued then
    // belongs to the socket as it is now (possibly reconnected).
    if (m_dispatching)
        return;
    m_dispatching = true;
    while (!m_queue.isEmpty()) {
        m_current = m_queue.takeFirst();
        m_haveCurrent = true;
        const int length = int(qMin<qsizetype>(m_current.size(), 65535));
        Q_EMIT dataArrived(length);
        m_haveCurrent = false;
        m_current.clear();
    }
    m_dispatching = false;
}
