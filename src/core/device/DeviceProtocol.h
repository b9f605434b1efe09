#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <array>

// Every datagram the device speaks, as bytes: the query request and its
// reply, and the IP-SETUP datagram that gives a device its address (a
// broadcast to the query port).
namespace DeviceProtocol {

constexpr int QueryReplySize = 30; // bytes the decoder looks at
constexpr int IpSetupSize = 20;

} // namespace DeviceProtocol

// What a query reply says about the device. Texts stay empty when the reply
// is too short to reach their bytes.
struct DecodedReply {
    QString hardwareAddress; // "02-00-00-12-34-5F", partial for a short reply
    QString firmwareVersion; // "4.5"
    QString firmwareType;    // two single-byte characters
    QString deviceType;      // one of the device type texts
    qsizetype bytesRead = 0; // the reply's length
};

// The 4-byte request: 00 00 00 F6.
QByteArray queryRequest();

// Version number of one reply byte: its hexadecimal digits read back as a
// decimal number up to the first letter (0x25 -> 25, 0x1A -> 1, 0xE5 -> 0).
QString versionNumber(quint8 value);

// Device type text for the low 4 bits of the fourth hardware-address byte.
QString deviceTypeText(quint8 value);

// Decodes a reply of any length; bytes from offset 30 on are ignored and
// nothing is validated.
DecodedReply decodeQueryReply(const QByteArray &reply);

// For a reply shorter than the bytes the decoder looks at: how many came, and
// which texts were read whole, in part or not at all. Empty for a whole reply.
QString shortReplyText(const DecodedReply &reply);

// The 20-byte IP-SETUP datagram: 00 00 00 FC, "IP-SETUP", 00 00, the last two
// bytes of the device's hardware address, then the new address, first octet
// first. The first four hardware-address bytes are not sent.
QByteArray ipSetupDatagram(const std::array<quint8, 2> &hardwareTail,
                           const std::array<quint8, 4> &newAddress);
