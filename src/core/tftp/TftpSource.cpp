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
}

bool TftpSource::trapped(const QString &place, const std::function<void()> &body)
{
    try {
        body();
        return true;
    } catch (const Failure &failure) {
        if (m_report)
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
    return trapped(dataPlace(), [&] {
        QByteArray packet = Tftp::dataHeader(block);
        if (!SourceFile.isOpen() || SourceFile.atEnd()) {
            SourceFile.close();
            m_transferDone = true;
            return;
        }
        const QByteArray payload = Tftp::readPayload(SourceFile);
        m_bytesRead += payload.size();
        packet.append(payload);
        socket.send(packet);
    });
}
