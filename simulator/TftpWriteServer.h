#pragma once

#include "LoggedDatagram.h"
#include "SimulatorOptions.h"
#include "core/net/DatagramSocket.h"

#include <QByteArrayView>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class DelayLine;

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
//
// With datagram logging off, a data block costs no heap allocation: it is
// read into one fixed buffer, written straight to the file and acknowledged
// from the stack (DelayAck and lost blocks aside).
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
        bool logDatagrams = true; // datagramLogged() for each datagram
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
    using Peer = DatagramSocket::Peer;
    // One datagram as it came in, in place in m_buffer.
    struct Arrived {
        QByteArrayView bytes;
        Peer from;
        quint32 destination = 0;
    };

    void readOne(DatagramSocket *socket);
    bool lostOnTheWay(DatagramSocket *socket, const Arrived &datagram);
    void handle(DatagramSocket *socket, const Arrived &datagram);
    std::optional<Endpoint> endpointOf(const Arrived &datagram) const;
    void handleRequest(const Arrived &datagram, const Endpoint &endpoint);
    void handleData(Transfer *transfer, QByteArrayView bytes);
    void acknowledge(Transfer *transfer, quint16 block, bool fresh);
    void sendFrom(DatagramSocket *socket, QByteArrayView bytes, Peer peer,
                  const Endpoint &endpoint = {});
    void sendFrom(DatagramSocket *socket, QByteArrayView bytes, Peer peer, quint32 source,
                  const QString &device);
    quint32 sourceFor(DatagramSocket *socket, const Endpoint &endpoint) const;
    void log(bool sent, Peer peer, DatagramSocket *socket, QByteArrayView bytes,
             const QString &device);
    Transfer *find(DatagramSocket *socket, Peer peer) const;
    void drop(Transfer *transfer);
    void touch(Transfer *transfer);
    void idleDue(Transfer *transfer);

    Settings m_settings;
    DatagramSocket *m_listener = nullptr;
    std::unique_ptr<char[]> m_buffer; // every datagram is read into it
    QElapsedTimer m_clock;            // of the transfers' last datagrams
    DelayLine *m_ackDelay = nullptr;  // DelayAck only
    std::vector<std::unique_ptr<Transfer>> m_transfers;
};
