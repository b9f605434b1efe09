#pragma once

#include <QString>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// Empty when this process may open an ICMP socket, else why not.
inline QString icmpUnavailable()
{
    for (int type : {SOCK_DGRAM, SOCK_RAW}) {
        const int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, IPPROTO_ICMP);
        if (fd >= 0) {
            ::close(fd);
            return {};
        }
    }
    return QStringLiteral("no ICMP socket may be opened here (not root, and "
                          "net.ipv4.ping_group_range excludes this group)");
}
