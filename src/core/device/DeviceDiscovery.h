#pragma once

#include "core/device/DeviceProtocol.h"
#include "core/device/DiscoveryTally.h"
#include "core/host/LocalInterfaces.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>

class QUdpSocket;

// What a discovery takes from outside (discoveryOptions() gives the
// program's values).
struct DiscoveryOptions {
    quint16 port = 0;
    int timeoutMs = 0;
    QStringList interfaceNames; // empty: every interface that can broadcast
    int receiveBufferBytes = 0; // zero leaves the system's default
};

// How discovery went out of one interface.
struct DiscoveryInterface {
    QString name;
    QHostAddress address;       // the interface address the queries went out from
    QStringList destinations;   // where the query was sent
    bool boundToDevice = false; // replies taken only as they arrive on this interface
    int receiveBufferBytes = 0; // what the system granted
    QStringList sendErrors;
};

// Finds the devices on the segments of this host: the 4-byte query goes out
// of each chosen interface to its subnet broadcasts and to 255.255.255.255,
// and every reply that comes back within the time-out is tallied by hardware
// address. Runs on the event loop; shows nothing.
//
// Each interface has a socket of its own, tied to it (SO_BINDTODEVICE) so
// that the limited broadcast leaves by that interface and a reply is known by
// the interface it came in on, whether sent to our address or broadcast.
// Where the system refuses the tie, the socket is bound to the interface's
// address instead, which steers the limited broadcast the same way.
class DeviceDiscovery : public QObject {
    Q_OBJECT
public:
    explicit DeviceDiscovery(QObject *parent = nullptr);
    ~DeviceDiscovery() override;

    // Opens the sockets and sends the queries; finished() follows after the
    // time-out. Throws Failure (NoUsableInterface, SocketBindFailed) when it
    // cannot start; nothing has been sent then.
    void start(const DiscoveryOptions &options);
    // Ends at once, without finished().
    void stop();
    bool isRunning() const { return m_timer.isActive(); }

    const DiscoveryTally &tally() const { return m_tally; }
    const QList<DiscoveryInterface> &interfaces() const { return m_interfaces; }

Q_SIGNALS:
    void deviceFound(const DiscoveredDevice &device);
    void finished();

private:
    QUdpSocket *openSocket(const LocalInterface &interface, DiscoveryInterface &info);
    void readFrom(QUdpSocket *socket, const QString &interfaceName);
    void finish();

    DiscoveryOptions m_options;
    QList<QUdpSocket *> m_sockets;
    QList<DiscoveryInterface> m_interfaces;
    DiscoveryTally m_tally;
    QElapsedTimer m_clock;
    QTimer m_timer;
};
