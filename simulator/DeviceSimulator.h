#pragma once

#include "LoggedDatagram.h"
#include "SimulatorOptions.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

class AddressInstaller;
class QUdpSocket;
class TftpWriteServer;

// A simulated device server on the event loop: answers the device query,
// takes its IP address from IP-SETUP datagrams (both on the query port) and
// receives files by TFTP write. Every datagram in and out is logged.
class DeviceSimulator : public QObject {
    Q_OBJECT
public:
    explicit DeviceSimulator(QObject *parent = nullptr);
    ~DeviceSimulator() override;

    // Opens both ports; false with a reason when the options are unusable or
    // a port cannot be bound. Call once.
    bool start(const SimulatorOptions &options, QString *error);

    quint16 queryPort() const;
    quint16 tftpPort() const;
    const SimulatorOptions &options() const { return m_options; }
    // The address last taken from a matching IP-SETUP (null before).
    QHostAddress assignedAddress() const { return m_assigned; }

    QList<LoggedDatagram> log() const { return m_log; }
    void clearLog() { m_log.clear(); }

Q_SIGNALS:
    void datagramLogged(const LoggedDatagram &entry);
    void fileStored(const QString &name, qint64 size);
    void addressAssigned(const QHostAddress &address);
    // The assigned address is on the interface (namespace use only).
    void addressInstalled(const QHostAddress &address);
    // Free-text events worth a line in the program's log.
    void notice(const QString &text);

private:
    void onQueryReadable();
    void record(const LoggedDatagram &entry);

    SimulatorOptions m_options;
    QUdpSocket *m_querySocket = nullptr;
    TftpWriteServer *m_tftp = nullptr;
    AddressInstaller *m_installer = nullptr;
    QHostAddress m_assigned;
    QList<LoggedDatagram> m_log;
};
