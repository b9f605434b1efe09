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

QByteArray dataHeader(quint16 block)
{
    QByteArray header;
    header.append('\0').append(OpData);
    header.append(char(block >> 8)).append(char(block & 0xFF));
    return header;
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

Ack readAck(const QByteArray &datagram)
{
    if (datagram.size() < 4 || datagram.at(1) != OpAck)
        return {};
    const auto hi = quint16(quint8(datagram.at(2)));
    const auto lo = quint16(quint8(datagram.at(3)));
    return {true, quint16((hi << 8) | lo)};
}

} // namespace Tftp
