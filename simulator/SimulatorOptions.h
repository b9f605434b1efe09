#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <optional>
#include <utility>

// Who the simulated device claims to be.
struct DeviceIdentity {
    QByteArray hardwareAddress = QByteArray::fromHex("020000040b0c"); // 6 bytes
    quint8 versionMajor = 0x04;
    quint8 versionMinor = 0x10;
    QByteArray firmwareType = QByteArrayLiteral("X1"); // 2 bytes
    // Low nibble of reply byte 27; -1 leaves the byte as the address has it.
    int deviceTypeCode = -1;
};

// How the query responder answers a query.
enum class QueryReplyMode {
    Normal, // the 30-byte reply
    Short,  // the first shortReplyLength bytes of it
    Long,   // the reply padded to longReplyLength bytes
    None,   // no answer at all
};

// Misbehaviours of the TFTP write server, one at a time.
enum class TftpFault {
    None,
    NeverAck,      // logs what arrives and never answers
    ErrorPacket,   // answers the write request with an error packet
    ShortDatagram, // answers with 3 bytes (00 04 00) instead of each acknowledgement
    RepeatAck,     // sends each fresh acknowledgement twice
    NewPort,       // answers from a new socket per transfer (RFC 1350 transfer ids)
    DelayAck,      // holds each acknowledgement back by ackDelayMs
};

struct SimulatorOptions {
    QHostAddress bindAddress{QHostAddress::LocalHost};
    quint16 queryPort = 30718; // 0 = an ephemeral port
    quint16 tftpPort = 69;     // 0 = an ephemeral port
    DeviceIdentity identity;
    QueryReplyMode replyMode = QueryReplyMode::Normal;
    int shortReplyLength = 4;
    int longReplyLength = 40;
    TftpFault fault = TftpFault::None;
    double ackDelayMs = 0; // fractions count: a device half a millisecond away
    // Data blocks lost on the way the first time each comes in a transfer,
    // whatever the fault: the writer must send them again.
    QList<quint16> lostDataBlocks;
    QString storeFolder;   // received files land here (must exist)
    QString interfaceName; // when set, assigned addresses are added to it
    // Many devices in one process: device i has the hardware address of
    // `identity` plus i. With a first address, device i answers at that
    // address plus i (added to the interface when one is named; the socket
    // must be bound to 0.0.0.0) and keeps its received files in a folder of
    // its own, named by its hardware address, when there is more than one.
    // Without one, every device answers at every address of the host, as two
    // factory-fresh devices sharing one default address would.
    int deviceCount = 1;
    QHostAddress firstAddress;
    // A device that has received a whole firmware file (any name but a web
    // directory WEB1..WEB6) answers with this version (major, minor) from then
    // on, as one running its new image would.
    std::optional<std::pair<quint8, quint8>> upgradedVersion;
    // Such a device answers no query from then on, as one whose new image
    // does not start.
    bool silentAfterUpgrade = false;
    // Every datagram received or sent is logged (log(), datagramLogged()).
    // Off, a transfer runs without the per-datagram copy and hex text.
    bool logDatagrams = true;
};
