// The TFTP packet helpers on any datagram: acknowledgements and error packets
// are read from the datagram's own bytes only (the input is not copied, so a
// read past its end is reported), packets built from the input read back,
// and a file of the input's bytes is sent whole in 512-byte payloads.

#include "FuzzSupport.h"
#include "core/support/Failure.h"
#include "core/tftp/TftpPackets.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray datagram = inputBytes(data, size);
    const qsizetype n = datagram.size();
    const bool numbered = n >= 4;
    const quint16 number = numbered ? quint16(data[2] << 8 | data[3]) : 0;

    const Tftp::Ack ack = Tftp::readAck(datagram);
    FUZZ_CHECK(ack.isAck == (numbered && data[1] == Tftp::OpAck));
    FUZZ_CHECK(ack.block == (ack.isAck ? number : 0));

    const Tftp::Error error = Tftp::readError(datagram);
    FUZZ_CHECK(error.isError == (numbered && data[1] == Tftp::OpError));
    if (error.isError) {
        FUZZ_CHECK(error.code == number);
        const QByteArray text = datagram.mid(4);
        const qsizetype nul = text.indexOf('\0');
        FUZZ_CHECK(error.text == QString::fromLatin1(nul < 0 ? text : text.left(nul)));
        // What we send in return reads back as sent.
        const Tftp::Error echoed = Tftp::readError(Tftp::errorPacket(error.code, error.text));
        FUZZ_CHECK(echoed.isError && echoed.code == error.code && echoed.text == error.text);
    }

    const QString name = QString::fromLatin1(datagram);
    try {
        const QByteArray request = Tftp::writeRequest(name);
        FUZZ_CHECK(!datagram.contains('\0'));
        FUZZ_CHECK(request == QByteArray("\0\2", 2) + datagram + QByteArray("\0octet\0", 7));
    } catch (const Failure &failure) {
        FUZZ_CHECK(datagram.contains('\0'));
        FUZZ_CHECK(failure.number() == FailureNumber::BadFileNameOrNumber);
    }

    QByteArray header = Tftp::dataHeader(number);
    FUZZ_CHECK(header.size() == 4 && header[1] == Tftp::OpData);
    header[1] = Tftp::OpAck;
    FUZZ_CHECK(Tftp::readAck(header).block == number);

    QByteArray file = datagram;
    QBuffer source(&file);
    source.open(QIODevice::ReadOnly);
    QByteArray sent;
    for (;;) {
        char buffer[Tftp::BlockSize];
        const QByteArray payload(buffer, Tftp::readPayload(source, buffer));
        if (payload.isEmpty())
            break;
        FUZZ_CHECK(payload.size() <= Tftp::BlockSize);
        FUZZ_CHECK(payload.size() == Tftp::BlockSize || sent.size() + payload.size() == n);
        sent += payload;
    }
    FUZZ_CHECK(sent == datagram);
    return 0;
}
