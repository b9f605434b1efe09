#include "core/tftp/TftpPackets.h"

#include "core/support/Failure.h"

#include <QIODevice>

namespace Tftp {

QByteArray writeRequest(const QString &deviceFileName)
{
    for (const QChar c : deviceFileName) {
        if (c.unicode() == 0 || c.unicode() > 0xFF)
            throw Failure(FailureNumber::BadFileNameOrNumber,
                          QStringLiteral("Device file name cannot be sent as single-byte text: ") +
                              deviceFileName);
    }
    QByteArray packet;
    packet.reserve(9 + deviceFileName.size());
    packet.append('\0').append(OpWriteRequest);
    packet.append(deviceFileName.toLatin1());
    packet.append('\0');
    packet.append("octet");
    packet.append('\0');
    return packet;
}

// An opcode and a 16-bit number: the first four bytes of data and error packets.
static QByteArray header(char opcode, quint16 number)
{
    QByteArray bytes;
    bytes.append('\0').append(opcode);
    bytes.append(char(number >> 8)).append(char(number & 0xFF));
    return bytes;
}

QByteArray dataHeader(quint16 block)
{
    return header(OpData, block);
}

static QByteArray readPiece(QIODevice &file)
{
    const QByteArray piece = file.read(PieceSize);
    if (piece.isEmpty() && !file.atEnd())
        throw Failure(FailureNumber::DeviceIOError,
                      QStringLiteral("Device I/O error: ") + file.errorString());
    return piece;
}

QByteArray readPayload(QIODevice &file)
{
    if (file.atEnd())
        return {};
    QByteArray payload = readPiece(file);
    if (!file.atEnd())
        payload.append(readPiece(file));
    return payload;
}

static quint16 numberAfterOpcode(const QByteArray &datagram)
{
    return quint16((quint8(datagram.at(2)) << 8) | quint8(datagram.at(3)));
}

Ack readAck(const QByteArray &datagram)
{
    if (datagram.size() < 4 || datagram.at(1) != OpAck)
        return {};
    return {true, numberAfterOpcode(datagram)};
}

QByteArray errorPacket(quint16 code, const QString &text)
{
    QByteArray packet = header(OpError, code);
    packet.append(text.toLatin1());
    packet.append('\0');
    return packet;
}

Error readError(const QByteArray &datagram)
{
    if (datagram.size() < 4 || datagram.at(1) != OpError)
        return {};
    const QByteArray rest = datagram.mid(4);
    const qsizetype end = rest.indexOf('\0');
    return {true, numberAfterOpcode(datagram),
            QString::fromLatin1(end < 0 ? rest : rest.left(end))};
}

} // namespace Tftp
