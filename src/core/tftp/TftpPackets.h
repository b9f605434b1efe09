#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

class QIODevice;

// Byte layout of the TFTP write transfer: the write request, the data
// packets and the closing error packet we send, the acknowledgement and the
// error packet the device sends back. Numbers are big-endian; the mode is
// always "octet".
namespace Tftp {

constexpr char OpWriteRequest = 2;
constexpr char OpData = 3;
constexpr char OpAck = 4;
constexpr char OpError = 5;
constexpr int BlockSize = 512; // a data packet carries at most this many bytes
constexpr int HeaderSize = 4;  // opcode and block number

// 00 02, the name one byte per character, 00, "octet", 00. A name that
// cannot be sent one byte per character (a character beyond Latin-1, or a
// NUL that would end the name early) throws Failure 52.
QByteArray writeRequest(const QString &deviceFileName);

// 00 03 and the block number, high byte first.
QByteArray dataHeader(quint16 block);
// The same four bytes written over the start of a packet buffer.
void writeDataHeader(char *packet, quint16 block);

// The next bytes of the file, up to `capacity` (one payload unless told
// otherwise) in one read, into `payload`; their count, 0 when the file is
// already at its end. A read error throws Failure 57.
qint64 readPayload(QIODevice &file, char *payload, qint64 capacity = BlockSize);

struct Ack {
    bool isAck = false;
    quint16 block = 0;
};

// Only the second byte of the opcode is compared. A datagram shorter than
// four bytes carries no block number and is not an acknowledgement.
Ack readAck(QByteArrayView datagram);

// 00 05, the error code, the text one byte per character (characters beyond
// Latin-1 become '?'), 00. Code 0 is "not defined, see the text".
QByteArray errorPacket(quint16 code, const QString &text);

struct Error {
    bool isError = false;
    quint16 code = 0;
    QString text; // up to the first NUL, or to the end when there is none
};

// As for acknowledgements, only the second byte of the opcode is compared.
Error readError(QByteArrayView datagram);

} // namespace Tftp
