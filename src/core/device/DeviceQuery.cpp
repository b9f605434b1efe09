#include "core/device/DeviceQuery.h"

#include "core/net/UdpSocketControl.h"
#include "core/support/Failure.h"

#include <QTimer>

DeviceQuery::DeviceQuery(quint16 remotePort, int timeoutMs, QObject *parent)
    : QObject(parent), sckSocket(new UdpSocketControl(this)), tmrQuery(new QTimer(this)),
      m_timeoutMs(timeoutMs), m_remotePort(remotePort)
{
    sckSocket->setObjectName(QStringLiteral("sckSocket"));
    tmrQuery->setObjectName(QStringLiteral("tmrQuery"));
    connect(sckSocket, &UdpSocketControl::connected, this, &DeviceQuery::onConnected);
    connect(sckSocket, &UdpSocketControl::dataArrived, this, &DeviceQuery::onDataArrived);
    connect(tmrQuery, &QTimer::timeout, this, &DeviceQuery::onTick);
}

void DeviceQuery::prepareSocket()
{
    sckSocket->setAddressFamily(2);
    sckSocket->setProtocol(0);
    sckSocket->setSocketType(2);
    sckSocket->setBinary(true);
    sckSocket->setBlocking(false);
    // Interval 0 means silent: a zero-interval Qt timer would fire at once.
    tmrQuery->stop();
    tmrQuery->setInterval(0);
}

void DeviceQuery::startQuery(const QString &address)
{
    Q_EMIT busyChanged(true);
    tmrQuery->start(m_timeoutMs); // a second start gets a fresh time-out
    if (sckSocket->isConnected())
        sckSocket->close();
    sckSocket->setHostAddress(address.trimmed());
    sckSocket->setLocalPort(0);
    sckSocket->setRemotePort(m_remotePort);
    sckSocket->connectSocket();
}

bool DeviceQuery::awaitingReply() const
{
    return tmrQuery->isActive();
}

void DeviceQuery::onConnected()
{
    // One datagram per query; what the write returns is of no use here. A send
    // that fails leaves the query to its time-out, which tells the user.
    try {
        sckSocket->send(queryRequest());
    } catch (const Failure &) {
    }
}

void DeviceQuery::onDataArrived(int byteCount)
{
    const QByteArray reply = sckSocket->read(byteCount);
    const DecodedReply identity = decodeQueryReply(reply);
    SocketCleanup();
    Q_EMIT replyReceived(identity);
}

void DeviceQuery::onTick()
{
    SocketCleanup();
    Q_EMIT timedOut();
}

void DeviceQuery::SocketCleanup()
{
    Q_EMIT busyChanged(false);
    tmrQuery->stop();
    tmrQuery->setInterval(0);
    if (sckSocket->isConnected())
        sckSocket->close();
}
