#include "core/tftp/TftpSource.h"

#include "core/net/UdpSocketControl.h"
#include "core/support/FileFailures.h"
#include "core/tftp/TftpPackets.h"

void TftpSource::open(const QString &path)
{
    close();
    SourceFile.setFileName(path);
    // Unbuffered: each block is one read straight into the packet, with no
    // buffer of the device's own to fill and copy from.
    openOrThrow(SourceFile, QIODevice::ReadOnly | QIODevice::Unbuffered);
    m_size = SourceFile.size();
    m_bytesRead = 0;
    m_packetSize = 0;
}

template <typename Body> bool TftpSource::trapped(const QString &place, Body &&body, bool report)
{
    try {
        body();
        return true;
    } catch (const Failure &failure) {
        if (m_report && report)
            m_report(place, failure);
        return false;
    }
}

bool TftpSource::UDP_WriteReq(const QString &deviceFileName, UdpSocketControl &socket)
{
    return trapped(QStringLiteral("UDP_WriteReq function in TFTP"), [&] {
        m_transferDone = false;
        socket.send(Tftp::writeRequest(deviceFileName));
    });
}

bool TftpSource::UDP_Data(quint16 block, UdpSocketControl &socket)
{
    return trapped(dataPlace(), [&] { sendData(block, socket); });
}

bool TftpSource::resendData(quint16 block, UdpSocketControl &socket)
{
    return trapped(
        dataPlace(), [&] { sendData(block, socket); }, false);
}

void TftpSource::sendData(quint16 block, UdpSocketControl &socket)
{
    if (m_packetSize == 0 || m_packetBlock != block) {
        m_packetSize = 0;
        if (!SourceFile.isOpen() || SourceFile.atEnd()) {
            SourceFile.close();
            m_transferDone = true;
            return;
        }
        // A failed read must not leave the file part-way into the block, or
        // the next attempt would shift the data.
        const qint64 start = SourceFile.pos();
        qint64 length = 0;
        try {
            length = Tftp::readPayload(SourceFile, m_packet.data() + Tftp::HeaderSize);
        } catch (const Failure &) {
            if (!SourceFile.seek(start))
                SourceFile.close(); // the transfer then ends short: no success
            throw;
        }
        Tftp::writeDataHeader(m_packet.data(), block);
        m_packetBlock = block;
        m_packetSize = Tftp::HeaderSize + length;
        m_bytesRead += length;
    }
    socket.send(QByteArrayView(m_packet.data(), m_packetSize));
}
