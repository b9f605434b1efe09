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

void writeDataHeader(char *packet, quint16 block)
{
    packet[0] = '\0';
    packet[1] = OpData;
    packet[2] = char(block >> 8);
    packet[3] = char(block & 0xFF);
}

qint64 readPayload(QIODevice &file, char *payload, qint64 capacity)
{
    if (file.atEnd())
        return 0;
    const qint64 length = file.read(payload, capacity);
    if (length < 0 || (length == 0 && !file.atEnd()))
        throw Failure(FailureNumber::DeviceIOError,
                      QStringLiteral("Device I/O error: ") + file.errorString());
    return length;
}

static quint16 numberAfterOpcode(QByteArrayView datagram)
{
    return quint16((quint8(datagram.at(2)) << 8) | quint8(datagram.at(3)));
}

Ack readAck(QByteArrayView datagram)
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

Error readError(QByteArrayView datagram)
{
    if (datagram.size() < 4 || datagram.at(1) != OpError)
        return {};
    const QByteArrayView rest = datagram.sliced(4);
    const qsizetype end = rest.indexOf('\0');
    return {true, numberAfterOpcode(datagram),
            QString::fromLatin1(end < 0 ? rest : rest.first(end))};
}

} // namespace Tftp
