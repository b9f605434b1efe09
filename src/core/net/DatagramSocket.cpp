#include "core/net/DatagramSocket.h"

#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
sockaddr_in socketAddress(quint32 address, quint16 port)
{
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(address);
    return a;
}

// The POSIX calls take the generic address type; the cast is their contract.
sockaddr *generic(sockaddr_in *address)
{
    return reinterpret_cast<sockaddr *>(address);
}
} // namespace

DatagramSocket::DatagramSocket(QObject *parent) : QObject(parent) {}

DatagramSocket::~DatagramSocket()
{
    close();
}

bool DatagramSocket::bind(quint32 address, quint16 port, bool wantDestination)
{
    close();
    m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_fd < 0) {
        m_errno = errno;
        return false;
    }
    const int on = 1;
    sockaddr_in local = socketAddress(address, port);
    if (::setsockopt(m_fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0 ||
        (wantDestination && ::setsockopt(m_fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on) != 0) ||
        ::bind(m_fd, generic(&local), sizeof local) != 0) {
        m_errno = errno;
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    m_errno = 0;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &DatagramSocket::readyRead);
    return true;
}

void DatagramSocket::close()
{
    if (m_notifier) {
        m_notifier->setEnabled(false);
        m_notifier->deleteLater(); // we may be inside its own signal
        m_notifier = nullptr;
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

quint32 DatagramSocket::localAddress() const
{
    sockaddr_in local = {};
    socklen_t length = sizeof local;
    if (m_fd < 0 || ::getsockname(m_fd, generic(&local), &length) != 0)
        return 0;
    return ntohl(local.sin_addr.s_addr);
}

quint16 DatagramSocket::localPort() const
{
    sockaddr_in local = {};
    socklen_t length = sizeof local;
    if (m_fd < 0 || ::getsockname(m_fd, generic(&local), &length) != 0)
        return 0;
    return ntohs(local.sin_port);
}

QString DatagramSocket::errorString() const
{
    return QString::fromLocal8Bit(std::strerror(m_errno));
}

qint64 DatagramSocket::receive(char *buffer, qint64 capacity, Peer *from, quint32 *destination)
{
    if (destination)
        *destination = 0;
    if (m_fd < 0)
        return -1;
    sockaddr_in sender = {};
    iovec data = {buffer, size_t(capacity)};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
    msghdr message = {};
    message.msg_name = &sender;
    message.msg_namelen = sizeof sender;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t length = ::recvmsg(m_fd, &message, MSG_DONTWAIT);
    if (length < 0) {
        m_errno = errno;
        return -1;
    }
    if (from)
        *from = {ntohl(sender.sin_addr.s_addr), ntohs(sender.sin_port)};
    for (cmsghdr *c = CMSG_FIRSTHDR(&message); destination && c; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
            in_pktinfo info;
            std::memcpy(&info, CMSG_DATA(c), sizeof info);
            *destination = ntohl(info.ipi_addr.s_addr);
        }
    }
    return qMin<qint64>(length, capacity);
}

qint64 DatagramSocket::send(const char *data, qint64 size, Peer to, quint32 source)
{
    if (m_fd < 0) {
        m_errno = ENOTCONN;
        return -1;
    }
    sockaddr_in peer = socketAddress(to.address, to.port);
    iovec bytes = {const_cast<char *>(data), size_t(size)};
    msghdr message = {};
    message.msg_name = &peer;
    message.msg_namelen = sizeof peer;
    message.msg_iov = &bytes;
    message.msg_iovlen = 1;
    // The sender address goes in an IP_PKTINFO control message (its
    // ipi_spec_dst is the source of an outgoing datagram).
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    if (source != 0) {
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr *header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = IPPROTO_IP;
        header->cmsg_type = IP_PKTINFO;
        header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
        in_pktinfo info = {};
        info.ipi_spec_dst.s_addr = htonl(source);
        std::memcpy(CMSG_DATA(header), &info, sizeof info);
    }
    const ssize_t sent = ::sendmsg(m_fd, &message, MSG_DONTWAIT);
    if (sent < 0)
        m_errno = errno;
    return sent;
}
