#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QUdpSocket>

// A plain RFC 1350 writer for the tests: write request, lock-step data
// blocks, an empty closing block when the size is a multiple of 512, and the
// transfer continues with whatever port the server answers from.
class TftpTestClient : public QObject {
    Q_OBJECT
public:
    explicit TftpTestClient(const QHostAddress &server = QHostAddress(QHostAddress::LocalHost),
                            QObject *parent = nullptr);

    // Starts the transfer; watch finished() / failed().
    void write(const QString &name, const QByteArray &content, quint16 serverPort,
               const QByteArray &mode = "octet");

    bool finished() const { return m_finished; }
    bool failed() const { return !m_error.isNull(); }
    QByteArray errorPacket() const { return m_error; }
    QList<QByteArray> received() const { return m_received; }
    QList<quint16> replyPorts() const { return m_replyPorts; }
    quint16 localPort() const { return m_socket.localPort(); }
    int blocksSent() const { return m_blocksSent; }

private:
    void onReadyRead();
    void sendBlock(quint16 block);

    QHostAddress m_server;
    QUdpSocket m_socket;
    QByteArray m_content;
    quint16 m_serverPort = 0;
    quint16 m_lastSent = 0;
    bool m_lastWasFinal = false;
    bool m_finished = false;
    int m_blocksSent = 0;
    QByteArray m_error;
    QList<QByteArray> m_received;
    QList<quint16> m_replyPorts;
};
