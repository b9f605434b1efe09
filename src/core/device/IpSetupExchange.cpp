#include "core/device/IpSetupExchange.h"

#include "core/device/AddressText.h"
#include "core/device/DeviceProtocol.h"
#include "core/net/UdpSocketControl.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Kind = IpSetupOutcome::Kind;

// Closes the descriptor whichever way the send ends.
struct ScopedSocket {
    int fd;
    ~ScopedSocket()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

IpSetupOutcome unknownHost(const QString &text)
{
    return {Kind::UnknownHost, std::nullopt, text};
}

IpSetupOutcome socketFailed(const char *step, int code)
{
    return {Kind::SocketFailed, std::nullopt,
            QStringLiteral("%1: %2").arg(QLatin1String(step),
                                         QString::fromLocal8Bit(std::strerror(code)))};
}

} // namespace

quint32 ResolveHostAddress(const QString &text)
{
    const QHostAddress dotted = parseDottedAddress(text);
    if (!dotted.isNull())
        return htonl(dotted.toIPv4Address());
    if (text.isEmpty() || text.contains(QChar(0)))
        return UnresolvedHost;
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo *found = nullptr;
    if (::getaddrinfo(text.toLocal8Bit().constData(), nullptr, &hints, &found) != 0)
        return UnresolvedHost;
    quint32 address = UnresolvedHost;
    if (found && found->ai_family == AF_INET)
        address = reinterpret_cast<const sockaddr_in *>(found->ai_addr)->sin_addr.s_addr;
    ::freeaddrinfo(found);
    return address;
}

IpSetupOutcome set_tmx_ip(const QString &newIpText, const QString &hardwareText, quint16 port)
{
    std::array<quint8, 4> newAddress{};
    try {
        newAddress = IpTextToBytes(newIpText);
    } catch (const Failure &failure) {
        return {Kind::ConversionFailed, failure, {}};
    }
    const QString destinationText = BroadcastAddressText(newIpText);
    const std::array<quint8, 2> tail = HardwareAddressTail(hardwareText);
    if (ResolveHostAddress(newIpText) == UnresolvedHost)
        return unknownHost(newIpText);
    const QByteArray datagram = ipSetupDatagram(tail, newAddress);
    const quint32 destination = ResolveHostAddress(destinationText);
    if (destination == UnresolvedHost)
        return unknownHost(destinationText);

    const ScopedSocket socket{::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)};
    if (socket.fd < 0)
        return socketFailed("socket", errno);
    // Linux refuses a datagram to a broadcast address unless the socket may
    // broadcast.
    const int on = 1;
    if (::setsockopt(socket.fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0)
        return socketFailed("setsockopt", errno);
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = destination;
    ssize_t sent = -1;
    do {
        sent = ::sendto(socket.fd, datagram.constData(), size_t(datagram.size()), 0,
                        reinterpret_cast<const sockaddr *>(&to), sizeof to);
    } while (sent < 0 && errno == EINTR);
    if (sent < 0)
        return socketFailed("sendto", errno);
    return {};
}
