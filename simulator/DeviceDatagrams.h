#pragma once

#include "SimulatorOptions.h"

#include <QByteArray>
#include <QHostAddress>
#include <optional>

// Byte layouts the simulated device reads and writes on its query port.
namespace DeviceDatagrams {

// The query request: exactly these four bytes.
bool isQueryRequest(const QByteArray &datagram);

// The 30-byte reply: 00 00 00 F7, two zero bytes, minor and major version
// bytes, the two firmware type characters, zeros up to byte 23, then the six
// hardware address bytes; the device type code replaces the low nibble of
// byte 27 when one is given. Short and Long cut or pad it (padding 0xEE so a
// reader that decodes past byte 29 is caught). None gives an empty array.
QByteArray queryReply(const DeviceIdentity &identity, QueryReplyMode mode, int shortLength = 4,
                      int longLength = 40);

struct IpSetup {
    QByteArray hardwareTail; // bytes 14-15
    QHostAddress address;    // bytes 16-19
};

// Reads a 20-byte IP-SETUP datagram (00 00 00 FC "IP-SETUP" 00 00 tail ip);
// anything else gives nothing.
std::optional<IpSetup> readIpSetup(const QByteArray &datagram);

} // namespace DeviceDatagrams
