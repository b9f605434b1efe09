#pragma once

#include <QByteArray>
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
constexpr int PieceSize = 256;           // the payload is read in two pieces of this size
constexpr int BlockSize = 2 * PieceSize; // so a data packet carries at most 512 bytes

// 00 02, the name one byte per character, 00, "octet", 00. A name that
// cannot be sent one byte per character (a character beyond Latin-1, or a
// NUL that would end the name early) throws Failure 52.
QByteArray writeRequest(const QString &deviceFileName);

// 00 03 and the block number, high byte first.
QByteArray dataHeader(quint16 block);

// The next payload of the file: up to 256 bytes, then up to 256 more only
// when the file has not ended after the first piece. Empty when the file is
// already at its end. A read error throws Failure 57.
QByteArray readPayload(QIODevice &file);

struct Ack {
    bool isAck = false;
    quint16 block = 0;
};

// Only the second byte of the opcode is compared. A datagram shorter than
// four bytes carries no block number and is not an acknowledgement.
Ack readAck(const QByteArray &datagram);

// 00 05, the error code, the text one byte per character (characters beyond
// Latin-1 become '?'), 00. Code 0 is "not defined, see the text".
QByteArray errorPacket(quint16 code, const QString &text);

struct Error {
    bool isError = false;
    quint16 code = 0;
    QString text; // up to the first NUL, or to the end when there is none
};

// As for acknowledgements, only the second byte of the opcode is compared.
Error readError(const QByteArray &datagram);

} // namespace Tftp
