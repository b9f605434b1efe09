#include "core/net/PingControl.h"

#include "core/net/IcmpEcho.h"
#include "core/net/UdpSocketControl.h"
#include "core/support/Failure.h"

#include <QRandomGenerator>
#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/icmp.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int openIcmpSocket(int socketType)
{
    return ::socket(AF_INET, socketType | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMP);
}

QString errorText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}
} // namespace

PingControl::PingControl(QObject *parent, SocketOpener opener)
    : QObject(parent), m_opener(opener ? std::move(opener) : SocketOpener(openIcmpSocket))
{
    m_wait.setSingleShot(true);
    m_pause.setSingleShot(true);
    connect(&m_wait, &QTimer::timeout, this, &PingControl::onWaitOver);
    connect(&m_pause, &QTimer::timeout, this, &PingControl::sendNext);
}

PingControl::~PingControl()
{
    stop();
}

void PingControl::setEnabled(bool on)
{
    if (on)
        start();
    else
        stop();
}

void PingControl::setDataSize(int bytes)
{
    // Room for the IPv4 and ICMP headers in the largest datagram.
    m_dataSize = qBound(0, bytes, 65507 - 8);
}

void PingControl::setOptions(const PingOptions &options)
{
    setDataSize(options.dataBytes);
    setFirstTimeValue(options.waitMs);
    setSecondTimeValue(options.pauseMs);
}

void PingControl::setResetRequest(bool on)
{
    if (on && !m_enabled) {
        m_echoCount = 0;
        m_replyCount = 0;
    }
}

void PingControl::start()
{
    stop();
    const QHostAddress target = parseDottedAddress(m_target);
    if (target.isNull())
        throw Failure(FailureNumber::InvalidAddress,
                      QStringLiteral("Invalid target host: ") + m_target);
    openSocket();
    m_targetAddress = target;
    m_echoCount = 0;
    m_replyCount = 0;
    m_sequence = 0;
    ++m_generation;
    m_enabled = true;
    m_pause.start(m_startOption ? 0 : m_secondMs);
}

void PingControl::stop()
{
    ++m_generation;
    m_enabled = false;
    m_awaiting = false;
    m_wait.stop();
    m_pause.stop();
    closeSocket();
}

void PingControl::openSocket()
{
    int fd = m_opener(SOCK_DGRAM);
    const int datagramError = errno;
    SocketKind kind = SocketKind::Datagram;
    int rawError = 0;
    if (fd < 0) {
        fd = m_opener(SOCK_RAW);
        rawError = errno;
        kind = SocketKind::Raw;
    }
    // Desktops normally allow the datagram socket; where they do not, the
    // user is told the one setting that allows it (the program is never given
    // capabilities of its own).
    if (fd < 0)
        throw Failure(
            FailureNumber::IcmpUnavailable,
            QStringLiteral("ICMP sockets are not permitted for group %1: include it in "
                           "net.ipv4.ping_group_range, for example as root: sysctl -w "
                           "net.ipv4.ping_group_range=\"0 2147483647\", or give the program "
                           "the raw-socket capability CAP_NET_RAW "
                           "(datagram socket: %2; raw socket: %3)")
                .arg(QString::number(::getegid()), errorText(datagramError), errorText(rawError)));
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);

    if (kind == SocketKind::Datagram) {
        // The kernel owns the identifier of a datagram ICMP socket: bind to
        // get one and learn it.
        sockaddr_in local = {};
        local.sin_family = AF_INET;
        socklen_t length = sizeof local;
        if (::bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr *>(&local), &length) != 0) {
            const int code = errno;
            ::close(fd);
            throw Failure(FailureNumber::IcmpUnavailable,
                          QStringLiteral("Cannot bind the ICMP socket: ") + errorText(code));
        }
        m_identifier = ntohs(local.sin_port);
    } else {
        m_identifier = quint16(QRandomGenerator::global()->bounded(1, 65536));
        icmp_filter filter = {};
        filter.data = ~(1U << ICMP_ECHOREPLY); // only echo replies reach us
        ::setsockopt(fd, SOL_RAW, ICMP_FILTER, &filter, sizeof filter);
    }
    const int discovery = m_furtherOption ? IP_PMTUDISC_DO : IP_PMTUDISC_WANT;
    ::setsockopt(fd, IPPROTO_IP, IP_MTU_DISCOVER, &discovery, sizeof discovery);

    m_fd = fd;
    m_kind = kind;
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PingControl::onReadable);
}

void PingControl::closeSocket()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_kind = SocketKind::None;
}

void PingControl::sendNext()
{
    if (!m_enabled)
        return;
    const quint64 generation = m_generation;
    ++m_echoCount;
    m_sequence = quint16(m_sequence + 1);
    // The payload carries a fresh random token so that a late reply from an
    // earlier run, or another program's reply, never matches.
    m_payload = QByteArray(m_dataSize, '\0');
    const quint32 token = QRandomGenerator::global()->generate();
    for (int i = 0; i < m_dataSize; ++i)
        m_payload[i] = i < 4 ? char(token >> (8 * i)) : char('a' + (i - 4) % 23);

    const QByteArray message = IcmpEcho::request(m_identifier, m_sequence, m_payload);
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(m_targetAddress.toIPv4Address());
    m_awaiting = true;
    m_sentAt.start();
    const ssize_t sent = ::sendto(m_fd, message.constData(), size_t(message.size()), 0,
                                  reinterpret_cast<const sockaddr *>(&to), sizeof to);
    const int sendError = errno;
    m_wait.start(m_firstMs);
    Q_EMIT echoRequestSent();
    if (generation != m_generation)
        return;
    if (sent < 0)
        Q_EMIT error(quint16(sendError), errorText(sendError));
}

bool PingControl::matches(const QHostAddress &from, const QByteArray &bytes,
                          quint16 *dataBytes) const
{
    if (!m_awaiting || from != m_targetAddress)
        return false;
    const auto reply = IcmpEcho::readReply(bytes, m_kind == SocketKind::Raw);
    if (!reply || reply->identifier != m_identifier || reply->sequence != m_sequence ||
        reply->payload != m_payload)
        return false;
    *dataBytes = quint16(qMin<qsizetype>(reply->payload.size(), 65535));
    return true;
}

void PingControl::onReadable()
{
    const quint64 generation = m_generation;
    QByteArray buffer(65536, '\0');
    while (m_fd >= 0 && generation == m_generation) {
        sockaddr_in from = {};
        socklen_t length = sizeof from;
        const ssize_t n = ::recvfrom(m_fd, buffer.data(), size_t(buffer.size()), MSG_DONTWAIT,
                                     reinterpret_cast<sockaddr *>(&from), &length);
        if (n < 0) {
            const int code = errno;
            if (code == EINTR)
                continue;
            // A queued ICMP error (unreachable host, for instance) surfaces
            // here; the request itself still ends in its time-out.
            if (code != EAGAIN && code != EWOULDBLOCK)
                Q_EMIT error(quint16(code), errorText(code));
            return;
        }
        quint16 dataBytes = 0;
        if (!matches(QHostAddress(ntohl(from.sin_addr.s_addr)), buffer.left(n), &dataBytes))
            continue;
        m_awaiting = false;
        m_wait.stop();
        ++m_replyCount;
        Q_EMIT replyReceived(m_sequence, dataBytes, quint32(m_sentAt.elapsed()));
        afterOutcome(generation);
    }
}

void PingControl::onWaitOver()
{
    if (!m_awaiting)
        return;
    m_awaiting = false;
    const quint64 generation = m_generation;
    Q_EMIT replyTimedOut();
    afterOutcome(generation);
}

void PingControl::afterOutcome(quint64 generation)
{
    // A handler may have stopped or restarted the control.
    if (generation != m_generation || !m_enabled)
        return;
    m_pause.start(m_secondMs);
}
