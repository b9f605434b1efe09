#include "DeviceDatagrams.h"

#include <QtEndian>
#include <algorithm>

namespace DeviceDatagrams {

namespace {
constexpr int ReplyLength = 30;
constexpr int MaxDatagram = 65507;
constexpr char Padding = char(0xEE);
} // namespace

bool isQueryRequest(const QByteArray &datagram)
{
    return datagram == QByteArray::fromHex("000000f6");
}

QByteArray queryReply(const DeviceIdentity &identity, QueryReplyMode mode, int shortLength,
                      int longLength)
{
    if (mode == QueryReplyMode::None)
        return {};
    QByteArray reply(ReplyLength, '\0');
    reply[3] = char(0xF7);
    reply[6] = char(identity.versionMinor);
    reply[7] = char(identity.versionMajor);
    for (int i = 0; i < 2 && i < identity.firmwareType.size(); ++i)
        reply[8 + i] = identity.firmwareType.at(i);
    for (int i = 0; i < 6 && i < identity.hardwareAddress.size(); ++i)
        reply[24 + i] = identity.hardwareAddress.at(i);
    if (identity.deviceTypeCode >= 0)
        reply[27] = char((quint8(reply.at(27)) & 0xF0) | (identity.deviceTypeCode & 0x0F));

    if (mode == QueryReplyMode::Short)
        return reply.left(std::clamp(shortLength, 0, ReplyLength));
    if (mode == QueryReplyMode::Long) {
        const int length = std::clamp(longLength, ReplyLength, MaxDatagram);
        reply.append(QByteArray(length - ReplyLength, Padding));
    }
    return reply;
}

std::optional<IpSetup> readIpSetup(const QByteArray &datagram)
{
    static const QByteArray header =
        QByteArray::fromHex("000000fc") + "IP-SETUP" + QByteArray(2, '\0');
    if (datagram.size() != 20 || !datagram.startsWith(header))
        return std::nullopt;
    IpSetup setup;
    setup.hardwareTail = datagram.mid(14, 2);
    setup.address = QHostAddress(qFromBigEndian<quint32>(datagram.constData() + 16));
    return setup;
}

} // namespace DeviceDatagrams
