#include "core/tftp/TftpSource.h"

#include "core/net/UdpSocketControl.h"
#include "core/support/FileFailures.h"
#include "core/tftp/TftpPackets.h"

#include <cstring>

void TftpSource::open(const QString &path)
{
    close();
    SourceFile.setFileName(path);
    // Unbuffered: the read-ahead below is the one buffer.
    openOrThrow(SourceFile, QIODevice::ReadOnly | QIODevice::Unbuffered);
    if (!m_ahead)
        m_ahead = std::make_unique<char[]>(AheadSize);
    m_aheadPos = m_aheadEnd = 0;
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

void TftpSource::readAhead()
{
    if (!SourceFile.isOpen())
        return;
    // A failed read must not leave the file part-way into the stretch, or
    // the next attempt would shift the data.
    const qint64 start = SourceFile.pos();
    try {
        m_aheadEnd = Tftp::readPayload(SourceFile, m_ahead.get(), AheadSize);
    } catch (const Failure &) {
        if (!SourceFile.seek(start))
            SourceFile.close(); // the transfer then ends short: no success
        throw;
    }
    m_aheadPos = 0;
}

void TftpSource::sendData(quint16 block, UdpSocketControl &socket)
{
    if (m_packetSize == 0 || m_packetBlock != block) {
        m_packetSize = 0;
        if (m_aheadPos == m_aheadEnd)
            readAhead();
        if (m_aheadPos == m_aheadEnd) {
            SourceFile.close();
            m_transferDone = true;
            return;
        }
        const qint64 length = qMin<qint64>(Tftp::BlockSize, m_aheadEnd - m_aheadPos);
        std::memcpy(m_packet.data() + Tftp::HeaderSize, m_ahead.get() + m_aheadPos, size_t(length));
        m_aheadPos += length;
        Tftp::writeDataHeader(m_packet.data(), block);
        m_packetBlock = block;
        m_packetSize = Tftp::HeaderSize + length;
        m_bytesRead += length;
    }
    socket.send(QByteArrayView(m_packet.data(), m_packetSize));
}
