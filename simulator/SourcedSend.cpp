#include "SourcedSend.h"

#include <QUdpSocket>

#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>

qint64 sendDatagramFrom(QUdpSocket &socket, const QByteArray &bytes, const QHostAddress &source,
                        const QHostAddress &peer, quint16 peerPort, QString *error)
{
    // A socket bound to one address sends from that address anyway.
    if (source.isNull() || source.protocol() != QAbstractSocket::IPv4Protocol ||
        socket.localAddress() != QHostAddress(QHostAddress::AnyIPv4)) {
        const qint64 sent = socket.writeDatagram(bytes, peer, peerPort);
        if (sent < 0 && error)
            *error = socket.errorString();
        return sent;
    }
    // The sender address goes in an IP_PKTINFO control message (its
    // ipi_spec_dst is the source of an outgoing datagram).
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(peerPort);
    to.sin_addr.s_addr = htonl(peer.toIPv4Address());
    iovec data = {const_cast<char *>(bytes.constData()), size_t(bytes.size())};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr message = {};
    message.msg_name = &to;
    message.msg_namelen = sizeof to;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr *header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = IPPROTO_IP;
    header->cmsg_type = IP_PKTINFO;
    header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info = {};
    info.ipi_spec_dst.s_addr = htonl(source.toIPv4Address());
    std::memcpy(CMSG_DATA(header), &info, sizeof info);
    const ssize_t sent = ::sendmsg(int(socket.socketDescriptor()), &message, MSG_DONTWAIT);
    if (sent < 0 && error)
        *error = QString::fromLocal8Bit(std::strerror(errno));
    return sent;
}
