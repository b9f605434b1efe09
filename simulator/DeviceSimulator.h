#pragma once

#include "LoggedDatagram.h"
#include "SimulatorOptions.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

class AddressInstaller;
class QNetworkDatagram;
class QUdpSocket;
class TftpWriteServer;

// One device that the simulator plays.
struct SimulatedDevice {
    DeviceIdentity identity;
    QHostAddress address;  // where it answers; null: at every address of the host
    QHostAddress assigned; // the address last taken from a matching IP-SETUP
    QString label;         // its hardware address in log lines, when there are several
    QString storeFolder;   // where its received files land
    bool silent = false;   // its new firmware does not start: no query answered
    AddressInstaller *installer = nullptr;
};

// A simulated device server on the event loop: answers the device query,
// takes its IP address from IP-SETUP datagrams (both on the query port) and
// receives files by TFTP write. It may play several devices with consecutive
// hardware addresses (see SimulatorOptions). Every datagram in and out is
// logged.
//
// Who answers a query: a broadcast is answered by every device; a datagram
// to one address by the device at that address, else by the devices that
// answer at every address. Each device answers from its own address, or,
// when it has none, from the address the query was sent to.
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
    const QList<SimulatedDevice> &devices() const { return m_devices; }
    // The address the first device last took from a matching IP-SETUP (null before).
    QHostAddress assignedAddress() const;

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
    bool makeDevices(const SimulatorOptions &options, QString *error);
    void onQueryReadable();
    void answerQuery(const QNetworkDatagram &datagram);
    void takeIpSetup(const QByteArray &datagram);
    // A whole file arrived for the device with this label.
    void upgrade(const QString &fileName, const QString &label);
    QList<SimulatedDevice *> answering(const QHostAddress &destination);
    bool isBroadcast(const QHostAddress &destination) const;
    void record(const LoggedDatagram &entry);
    void noticeFrom(const SimulatedDevice &device, const QString &text);

    SimulatorOptions m_options;
    QList<SimulatedDevice> m_devices;
    QSet<quint32> m_broadcasts; // the subnet broadcasts of this host, and 255.255.255.255
    QUdpSocket *m_querySocket = nullptr;
    TftpWriteServer *m_tftp = nullptr;
    QList<LoggedDatagram> m_log;
};
