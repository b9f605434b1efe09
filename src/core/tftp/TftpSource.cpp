#include "core/tftp/TftpSource.h"

#include "core/net/UdpSocketControl.h"
#include "core/support/FileFailures.h"
#include "core/tftp/TftpPackets.h"

void TftpSource::open(const QString &path)
{
    close();
    SourceFile.setFileName(path);
    openOrThrow(SourceFile, QIODevice::ReadOnly);
    m_size = SourceFile.size();
    m_bytesRead = 0;
    m_packet.clear();
}

bool TftpSource::trapped(const QString &place, const std::function<void()> &body, bool report)
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
    const QByteArray header = Tftp::dataHeader(block);
    if (!m_packet.startsWith(header)) {
        m_packet.clear();
        if (!SourceFile.isOpen() || SourceFile.atEnd()) {
            SourceFile.close();
            m_transferDone = true;
            return;
        }
        // A read that fails after its first piece must not leave the file
        // part-way into the block, or the next attempt would shift the data.
        const qint64 start = SourceFile.pos();
        QByteArray payload;
        try {
            payload = Tftp::readPayload(SourceFile);
        } catch (const Failure &) {
            if (!SourceFile.seek(start))
                SourceFile.close(); // the transfer then ends short: no success
            throw;
        }
        m_bytesRead += payload.size();
        m_packet = header + payload;
    }
    socket.send(m_packet);
}
