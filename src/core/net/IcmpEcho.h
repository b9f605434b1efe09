#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <optional>

// ICMP echo messages (type 8 request, type 0 reply) as bytes.
namespace IcmpEcho {

// The Internet checksum (one's complement sum of 16-bit words).
quint16 checksum(const QByteArray &bytes);

// Type 8, code 0, checksum, identifier, sequence, then the payload.
QByteArray request(quint16 identifier, quint16 sequence, const QByteArray &payload);

struct Reply {
    quint16 identifier = 0;
    quint16 sequence = 0;
    QByteArray payload;
};

// Reads an echo reply. `withIpHeader`: the bytes start with the IPv4 header
// (raw sockets); datagram ICMP sockets deliver the ICMP message alone. Any
// other ICMP message, a bad checksum or a cut message gives nothing.
std::optional<Reply> readReply(const QByteArray &bytes, bool withIpHeader);

} // namespace IcmpEcho
