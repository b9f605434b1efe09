#include "core/net/IcmpEcho.h"

#include <QtEndian>

namespace IcmpEcho {

quint16 checksum(const QByteArray &bytes)
{
    quint32 sum = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i + 1 < n; i += 2)
        sum += (quint32(quint8(bytes.at(i))) << 8) | quint8(bytes.at(i + 1));
    if (n % 2)
        sum += quint32(quint8(bytes.at(n - 1))) << 8;
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return quint16(~sum & 0xFFFF);
}

QByteArray request(quint16 identifier, quint16 sequence, const QByteArray &payload)
{
    QByteArray message(8, '\0');
    message[0] = 8;
    qToBigEndian(identifier, message.data() + 4);
    qToBigEndian(sequence, message.data() + 6);
    message += payload;
    qToBigEndian(checksum(message), message.data() + 2);
    return message;
}

std::optional<Reply> readReply(const QByteArray &bytes, bool withIpHeader)
{
    QByteArray message = bytes;
    if (withIpHeader) {
        if (bytes.size() < 20 || (quint8(bytes.at(0)) >> 4) != 4)
            return std::nullopt;
        const int headerLength = (quint8(bytes.at(0)) & 0x0F) * 4;
        if (headerLength < 20 || bytes.size() < headerLength)
            return std::nullopt;
        message = bytes.mid(headerLength);
    }
    if (message.size() < 8 || message.at(0) != 0 || message.at(1) != 0 || checksum(message) != 0)
        return std::nullopt;
    Reply reply;
    reply.identifier = qFromBigEndian<quint16>(message.constData() + 4);
    reply.sequence = qFromBigEndian<quint16>(message.constData() + 6);
    reply.payload = message.mid(8);
    return reply;
}

} // namespace IcmpEcho
