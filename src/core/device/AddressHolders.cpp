#include "core/device/AddressHolders.h"

#include "core/device/AddressText.h"
#include "core/net/UnproxiedUdpSocket.h"
#include "core/support/Failure.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

AddressHolders::AddressHolders(quint16 port, int timeoutMs, int settleMs, QObject *parent)
    : QObject(parent), m_port(port), m_timeoutMs(timeoutMs), m_settleMs(settleMs)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &AddressHolders::finish);
}

AddressHolders::~AddressHolders()
{
    stop();
}

void AddressHolders::start(const QString &address)
{
    stop();
    m_holders.clear();
    m_address = QHostAddress(address.trimmed());
    if (m_address.protocol() != QAbstractSocket::IPv4Protocol)
        throw Failure(FailureNumber::InvalidAddress,
                      QStringLiteral("\"%1\" is not an IPv4 address").arg(address));
    m_socket = newUdpSocket(this);
    if (!m_socket->bind(QHostAddress::AnyIPv4, 0)) {
        const QString why = m_socket->errorString();
        stop();
        throw Failure(FailureNumber::SocketBindFailed,
                      QStringLiteral("Could not open a UDP socket: %1").arg(why));
    }
    connect(m_socket, &QUdpSocket::readyRead, this, &AddressHolders::read);
    QString why;
    if (send(&why) == 0) {
        stop();
        throw Failure(FailureNumber::SocketSendFailed,
                      QStringLiteral("The device query to %1 could not be sent: %2")
                          .arg(m_address.toString(), why));
    }
    m_timer.start(m_timeoutMs);
}

int AddressHolders::send(QString *why)
{
    const QByteArray query = queryRequest();
    int sent = 0;
    for (const QHostAddress &to :
         {m_address, QHostAddress(BroadcastAddressText(m_address.toString()))}) {
        if (m_socket->writeDatagram(query, to, m_port) >= 0)
            ++sent;
        else
            *why = m_socket->errorString();
    }
    return sent;
}

bool AddressHolders::poll()
{
    QString why;
    return m_socket && send(&why) > 0;
}

void AddressHolders::stop()
{
    m_timer.stop();
    if (!m_socket)
        return;
    m_socket->disconnect(this);
    m_socket->close();
    m_socket->deleteLater();
    m_socket = nullptr;
}

QStringList AddressHolders::hardwareAddresses() const
{
    QStringList result;
    for (const DecodedReply &holder : m_holders)
        result.append(holder.hardwareAddress);
    return result;
}

void AddressHolders::read()
{
    while (m_socket && m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram();
        // Devices elsewhere on the segment answer the broadcast too.
        if (!datagram.isValid() ||
            QHostAddress(datagram.senderAddress().toIPv4Address()) != m_address)
            continue;
        const DecodedReply reply = decodeQueryReply(datagram.data());
        const qsizetype known = hardwareAddresses().indexOf(reply.hardwareAddress);
        if (known >= 0) {
            m_holders[known] = reply;
        } else {
            m_holders.append(reply);
            if (m_holders.size() == 1 && m_timer.remainingTime() > m_settleMs)
                m_timer.start(m_settleMs);
        }
        Q_EMIT answered(reply);
    }
}

void AddressHolders::finish()
{
    read(); // replies already waiting still count
    stop();
    Q_EMIT finished();
}

QString holdersProblem(const QString &address, const QString &hardwareAddress,
                       const QList<DecodedReply> &holders)
{
    QStringList others;
    for (const DecodedReply &holder : holders)
        if (holder.hardwareAddress != hardwareAddress)
            others.append(holder.hardwareAddress);
    if (holders.isEmpty())
        return QStringLiteral("no reply to the device query at %1").arg(address);
    if (others.isEmpty())
        return {};
    if (holders.size() == 1)
        return QStringLiteral("the device at %1 is %2, not %3")
            .arg(address, others.first(), hardwareAddress);
    return QStringLiteral("address conflict: %1 is answered by %2%3")
        .arg(address, others.join(QStringLiteral(" and ")),
             others.size() < holders.size() ? QStringLiteral(" as well as %1").arg(hardwareAddress)
                                            : QStringLiteral(", not %1").arg(hardwareAddress));
}
