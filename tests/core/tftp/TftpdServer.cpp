#include "TftpdServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <unistd.h>

namespace {
const QString kServer = QStringLiteral("/usr/sbin/in.tftpd");

quint16 freeUdpPort()
{
    QUdpSocket probe;
    if (!probe.bind(QHostAddress::LocalHost, 0))
        return 0;
    return probe.localPort();
}
} // namespace

TftpdServer::TftpdServer()
{
    // The server drops to nobody, who must be able to create files here.
    QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther);
}

TftpdServer::~TftpdServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(2000))
            m_process.kill();
        m_process.waitForFinished(2000);
    }
}

QString TftpdServer::unavailableReason()
{
    if (!QFileInfo(kServer).isExecutable())
        return QStringLiteral("in.tftpd (tftpd-hpa) is not installed");
    if (geteuid() != 0)
        return QStringLiteral("in.tftpd must start as root to chroot into its folder and "
                              "change to user nobody");
    return {};
}

bool TftpdServer::start(QString *error)
{
    m_port = freeUdpPort();
    if (m_port == 0) {
        *error = QStringLiteral("no free UDP port on 127.0.0.1");
        return false;
    }
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    m_process.start(kServer, {QStringLiteral("--foreground"), QStringLiteral("--address"),
                              QStringLiteral("127.0.0.1:%1").arg(m_port),
                              QStringLiteral("--create"), QStringLiteral("--secure"),
                              QStringLiteral("--user"), QStringLiteral("nobody"), m_dir.path()});
    if (!m_process.waitForStarted(3000)) {
        *error = QStringLiteral("in.tftpd did not start: ") + m_process.errorString();
        return false;
    }
    const QDeadlineTimer deadline(3000);
    while (!deadline.hasExpired()) {
        if (answers())
            return true;
        if (m_process.state() == QProcess::NotRunning)
            break;
    }
    *error = QStringLiteral("in.tftpd did not answer on port %1").arg(m_port);
    return false;
}

bool TftpdServer::answers()
{
    // A read request for a file that is not there gets an error packet back.
    QUdpSocket probe;
    if (!probe.bind(QHostAddress::LocalHost, 0))
        return false;
    probe.writeDatagram(QByteArray("\x00\x01probe-missing\x00octet\x00", 22),
                        QHostAddress::LocalHost, m_port);
    return probe.waitForReadyRead(100) && probe.receiveDatagram().isValid();
}
