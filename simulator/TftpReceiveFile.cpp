#include "TftpReceiveFile.h"

#include <QtEndian>

bool TftpReceiveFile::open(const QString &path, QString *error)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        if (error)
            *error = m_file.errorString();
        return false;
    }
    return true;
}

TftpReceiveFile::Result TftpReceiveFile::accept(QByteArrayView datagram)
{
    const quint16 block = qFromBigEndian<quint16>(datagram.data() + 2);
    if (block == m_lastBlock)
        return {Outcome::Duplicate, block, m_finished};
    if (m_finished || block != quint16(m_lastBlock + 1))
        return {Outcome::OutOfOrder, block, m_finished};

    const QByteArrayView payload = datagram.sliced(4);
    if (m_size + payload.size() > MaxBytes) {
        m_error = QStringLiteral("Disk full or allocation exceeded");
        return {Outcome::Failed, block, false};
    }
    if (m_file.write(payload.data(), payload.size()) != payload.size()) {
        m_error = QStringLiteral("Write failed: ") + m_file.errorString();
        return {Outcome::Failed, block, false};
    }
    m_size += payload.size();
    m_lastBlock = block;
    if (payload.size() < 512) {
        m_finished = true;
        m_file.close();
    }
    return {Outcome::Stored, block, m_finished};
}

void TftpReceiveFile::discard()
{
    m_file.close();
    m_file.remove();
}
