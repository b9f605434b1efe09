#pragma once

#include "LoggedDatagram.h"
#include "SimulatorOptions.h"

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class DelayLine;
class QNetworkDatagram;
class QUdpSocket;

// A TFTP server that only takes write requests (RFC 1350, octet mode) and
// stores each file under its request name in one folder. Lock-step: each
// data block is acknowledged before the next is expected; a repeated block is
// acknowledged again; a block shorter than 512 bytes ends the file.
//
// Answers to the write request under the faults:
//   ErrorPacket     00 05 00 00 "Simulated fault" 00
//   ShortDatagram   00 04 00 (instead of every acknowledgement)
// Refused names and read requests get error packets (codes 2 and 4); data
// from an unknown peer gets error 5 "Unknown transfer ID". Data blocks named
// in lostDataBlocks are lost once per transfer before they reach the server:
// they are neither logged nor answered, only noticed.
class TftpWriteServer : public QObject {
    Q_OBJECT
public:
    // Where a write request sent to one address goes.
    struct Endpoint {
        QString folder;      // where the file is stored
        QHostAddress source; // the address the answers come from (null: the system's choice)
        QString device;      // the device named in log lines (may be empty)
    };

    struct Settings {
        QHostAddress bindAddress{QHostAddress::LocalHost};
        quint16 port = 69;
        QString storeFolder;
        TftpFault fault = TftpFault::None;
        double ackDelayMs = 0;
        QList<quint16> lostDataBlocks;
        // The endpoint of a request by the address it was sent to; unset:
        // storeFolder for every request. A request it gives nothing for is
        // ignored (no device at that address).
        std::function<std::optional<Endpoint>(const QHostAddress &destination)> endpointFor;
    };

    explicit TftpWriteServer(QObject *parent = nullptr);
    ~TftpWriteServer() override;

    bool start(const Settings &settings, QString *error);
    quint16 port() const;

    // A name is stored only when it stays inside the folder: not empty, no
    // "/" or "\", no "..", no control characters.
    static bool isAcceptableName(const QString &name);

Q_SIGNALS:
    void datagramLogged(const LoggedDatagram &entry);
    // `device`: the endpoint's device (may be empty).
    void fileStored(const QString &name, qint64 size, const QString &device);
    void notice(const QString &text);

private:
    struct Transfer;

    void readAll(QUdpSocket *socket);
    bool lostOnTheWay(QUdpSocket *socket, const QNetworkDatagram &datagram);
    void handle(QUdpSocket *socket, const QNetworkDatagram &datagram);
    std::optional<Endpoint> endpointOf(const QNetworkDatagram &datagram) const;
    void handleRequest(const QNetworkDatagram &datagram, const Endpoint &endpoint);
    void handleData(Transfer *transfer, const QByteArray &bytes);
    void acknowledge(Transfer *transfer, quint16 block, bool fresh);
    void sendFrom(QUdpSocket *socket, const QByteArray &bytes, const QHostAddress &peer,
                  quint16 peerPort, const Endpoint &endpoint = {});
    Transfer *find(QUdpSocket *socket, const QHostAddress &peer, quint16 peerPort) const;
    void drop(Transfer *transfer);
    void touch(Transfer *transfer);

    Settings m_settings;
    QUdpSocket *m_listener = nullptr;
    DelayLine *m_ackDelay = nullptr; // DelayAck only
    std::vector<std::unique_ptr<Transfer>> m_transfers;
};
