#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// Debian's tftpd-hpa on 127.0.0.1 with an unprivileged port, in create mode,
// serving a temporary folder. It chroots into the folder and runs as nobody,
// which only root may ask for: available() says why it cannot run.
class TftpdServer {
public:
    TftpdServer();
    ~TftpdServer();

    // Empty when the server can be started here, else the reason.
    static QString unavailableReason();

    // Starts the server and waits until it answers; false with the reason.
    bool start(QString *error);
    quint16 port() const { return m_port; }
    QString folder() const { return m_dir.path(); }
    QString storedPath(const QString &name) const { return m_dir.filePath(name); }

private:
    bool answers();

    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
};
