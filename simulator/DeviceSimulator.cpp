#include "DeviceSimulator.h"

#include "AddressInstaller.h"
#include "DeviceDatagrams.h"
#include "SourcedSend.h"
#include "TftpWriteServer.h"
#include "core/net/UnproxiedUdpSocket.h"

#include <QDir>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QRegularExpression>
#include <QUdpSocket>

namespace {
constexpr int MostDevices = 4096;
constexpr quint64 LargestHardwareAddress = 0xFFFFFFFFFFFFULL;

quint64 hardwareNumber(const QByteArray &bytes)
{
    quint64 value = 0;
    for (const char b : bytes)
        value = (value << 8) | quint8(b);
    return value;
}

QByteArray hardwareBytes(quint64 value)
{
    QByteArray bytes(6, '\0');
    for (int i = 5; i >= 0; --i, value >>= 8)
        bytes[i] = char(value & 0xFF);
    return bytes;
}
} // namespace

DeviceSimulator::DeviceSimulator(QObject *parent) : QObject(parent) {}

DeviceSimulator::~DeviceSimulator() = default;

QHostAddress DeviceSimulator::assignedAddress() const
{
    return m_devices.isEmpty() ? QHostAddress() : m_devices.first().assigned;
}

bool DeviceSimulator::makeDevices(const SimulatorOptions &options, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    const int count = options.deviceCount;
    if (count < 1 || count > MostDevices)
        return fail(QStringLiteral("The device count must be 1 to %1").arg(MostDevices));
    const quint64 firstHardware = hardwareNumber(options.identity.hardwareAddress);
    if (firstHardware + quint64(count - 1) > LargestHardwareAddress)
        return fail(QStringLiteral("The hardware addresses would run past FF-FF-FF-FF-FF-FF"));
    const bool ownAddresses = !options.firstAddress.isNull();
    if (ownAddresses) {
        if (options.firstAddress.protocol() != QAbstractSocket::IPv4Protocol)
            return fail(QStringLiteral("The first device address must be IPv4"));
        if (options.bindAddress != QHostAddress(QHostAddress::AnyIPv4))
            return fail(QStringLiteral("Devices with addresses of their own need the sockets "
                                       "bound to 0.0.0.0"));
        if (quint64(options.firstAddress.toIPv4Address()) + quint64(count - 1) >= 0xFFFFFFFFULL)
            return fail(QStringLiteral("The device addresses would run past 255.255.255.254"));
    }
    const bool ownFolders = ownAddresses && count > 1;
    for (int i = 0; i < count; ++i) {
        SimulatedDevice device;
        device.identity = options.identity;
        device.identity.hardwareAddress = hardwareBytes(firstHardware + quint64(i));
        if (ownAddresses)
            device.address = QHostAddress(options.firstAddress.toIPv4Address() + quint32(i));
        if (count > 1)
            device.label =
                QString::fromLatin1(device.identity.hardwareAddress.toHex('-').toUpper());
        device.storeFolder = options.storeFolder;
        if (ownFolders) {
            device.storeFolder = QDir(options.storeFolder).filePath(device.label);
            if (!QDir().mkpath(device.storeFolder))
                return fail(QStringLiteral("Cannot make the folder ") + device.storeFolder);
        }
        m_devices.append(device);
    }
    return true;
}

bool DeviceSimulator::start(const SimulatorOptions &options, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (m_querySocket)
        return fail(QStringLiteral("The simulator is already running"));
    if (options.identity.hardwareAddress.size() != 6)
        return fail(QStringLiteral("The hardware address must have 6 bytes"));
    if (options.identity.firmwareType.size() != 2)
        return fail(QStringLiteral("The firmware type must have 2 characters"));
    if (options.identity.deviceTypeCode > 15)
        return fail(QStringLiteral("The device type code must be 0 to 15 (or -1)"));
    m_devices.clear();
    if (!makeDevices(options, error))
        return false;
    m_options = options;

    const bool installAddresses =
        !options.firstAddress.isNull() && !options.interfaceName.isEmpty();
    if (installAddresses) {
        QList<QHostAddress> addresses;
        for (const SimulatedDevice &device : std::as_const(m_devices))
            addresses.append(device.address);
        if (!AddressInstaller::addAll(options.interfaceName, addresses, error))
            return false;
    }
    m_broadcasts = {0xFFFFFFFFU};
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces())
        for (const QNetworkAddressEntry &entry : interface.addressEntries())
            if (!entry.broadcast().isNull())
                m_broadcasts.insert(entry.broadcast().toIPv4Address());

    m_querySocket = newUdpSocket(this);
    if (!m_querySocket->bind(options.bindAddress, options.queryPort)) {
        const QString why = QStringLiteral("Cannot bind the query port %1: %2")
                                .arg(options.queryPort)
                                .arg(m_querySocket->errorString());
        delete m_querySocket;
        m_querySocket = nullptr;
        return fail(why);
    }
    connect(m_querySocket, &QUdpSocket::readyRead, this, &DeviceSimulator::onQueryReadable);

    m_tftp = new TftpWriteServer(this);
    connect(m_tftp, &TftpWriteServer::datagramLogged, this, &DeviceSimulator::record);
    connect(m_tftp, &TftpWriteServer::fileStored, this,
            [this](const QString &name, qint64 size, const QString &device) {
                upgrade(name, device);
                Q_EMIT fileStored(name, size);
            });
    connect(m_tftp, &TftpWriteServer::notice, this, &DeviceSimulator::notice);
    TftpWriteServer::Settings tftp{options.bindAddress,
                                   options.tftpPort,
                                   options.storeFolder,
                                   options.fault,
                                   options.ackDelayMs,
                                   options.lostDataBlocks,
                                   {},
                                   options.logDatagrams};
    // A write request belongs to the device it was sent to.
    tftp.endpointFor =
        [this](const QHostAddress &destination) -> std::optional<TftpWriteServer::Endpoint> {
        const QList<SimulatedDevice *> devices = answering(destination);
        if (devices.isEmpty())
            return std::nullopt;
        const SimulatedDevice &device = *devices.first();
        const QHostAddress source = !device.address.isNull()   ? device.address
                                    : isBroadcast(destination) ? QHostAddress()
                                                               : destination;
        return TftpWriteServer::Endpoint{device.storeFolder, source, device.label};
    };
    QString why;
    if (!m_tftp->start(tftp, &why)) {
        delete m_tftp;
        m_tftp = nullptr;
        delete m_querySocket;
        m_querySocket = nullptr;
        return fail(why);
    }

    if (!options.interfaceName.isEmpty()) {
        for (SimulatedDevice &device : m_devices) {
            device.installer = new AddressInstaller(
                options.interfaceName, installAddresses ? device.address : QHostAddress(), this);
            connect(device.installer, &AddressInstaller::installed, this,
                    &DeviceSimulator::addressInstalled);
            const QString label = device.label;
            connect(device.installer, &AddressInstaller::notice, this,
                    [this, label](const QString &text) {
                        Q_EMIT notice(label.isEmpty()
                                          ? text
                                          : QLatin1Char('[') + label + QStringLiteral("] ") + text);
                    });
        }
    }
    return true;
}

quint16 DeviceSimulator::queryPort() const
{
    return m_querySocket ? m_querySocket->localPort() : 0;
}

quint16 DeviceSimulator::tftpPort() const
{
    return m_tftp ? m_tftp->port() : 0;
}

void DeviceSimulator::record(const LoggedDatagram &entry)
{
    if (!m_options.logDatagrams)
        return;
    m_log.append(entry);
    Q_EMIT datagramLogged(entry);
}

void DeviceSimulator::noticeFrom(const SimulatedDevice &device, const QString &text)
{
    Q_EMIT notice(device.label.isEmpty()
                      ? text
                      : QLatin1Char('[') + device.label + QStringLiteral("] ") + text);
}

bool DeviceSimulator::isBroadcast(const QHostAddress &destination) const
{
    return destination.isNull() || m_broadcasts.contains(destination.toIPv4Address());
}

QList<SimulatedDevice *> DeviceSimulator::answering(const QHostAddress &destination)
{
    QList<SimulatedDevice *> everywhere;
    QList<SimulatedDevice *> all;
    for (SimulatedDevice &device : m_devices) {
        all.append(&device);
        if (device.address.isNull())
            everywhere.append(&device);
        else if (device.address.isEqual(destination, QHostAddress::TolerantConversion))
            return {&device};
    }
    return isBroadcast(destination) ? all : everywhere;
}

void DeviceSimulator::onQueryReadable()
{
    while (m_querySocket && m_querySocket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_querySocket->receiveDatagram();
        if (!datagram.isValid())
            continue;
        record({QDateTime::currentDateTime(),
                false,
                datagram.senderAddress(),
                quint16(datagram.senderPort()),
                m_querySocket->localPort(),
                datagram.data(),
                {}});
        if (DeviceDatagrams::isQueryRequest(datagram.data()))
            answerQuery(datagram);
        else
            takeIpSetup(datagram.data());
    }
}

void DeviceSimulator::answerQuery(const QNetworkDatagram &datagram)
{
    if (m_options.replyMode == QueryReplyMode::None)
        return;
    const QHostAddress peer = datagram.senderAddress();
    const quint16 peerPort = quint16(datagram.senderPort());
    const QHostAddress destination = datagram.destinationAddress();
    for (const SimulatedDevice *device : answering(destination)) {
        if (device->silent)
            continue;
        const QByteArray reply =
            DeviceDatagrams::queryReply(device->identity, m_options.replyMode,
                                        m_options.shortReplyLength, m_options.longReplyLength);
        const QHostAddress source = !device->address.isNull()  ? device->address
                                    : isBroadcast(destination) ? QHostAddress()
                                                               : destination;
        QString why;
        if (sendDatagramFrom(*m_querySocket, reply, source, peer, peerPort, &why) < 0)
            noticeFrom(*device, QStringLiteral("Query reply failed: ") + why);
        else
            record({QDateTime::currentDateTime(), true, peer, peerPort, m_querySocket->localPort(),
                    reply, device->label});
    }
}

void DeviceSimulator::upgrade(const QString &fileName, const QString &label)
{
    static const QRegularExpression webDirectory(QStringLiteral("^WEB[1-6]$"),
                                                 QRegularExpression::CaseInsensitiveOption);
    if ((!m_options.upgradedVersion && !m_options.silentAfterUpgrade) ||
        webDirectory.match(fileName).hasMatch())
        return;
    for (SimulatedDevice &device : m_devices) {
        if (device.label != label)
            continue;
        if (m_options.silentAfterUpgrade) {
            device.silent = true;
            noticeFrom(device,
                       QStringLiteral("Firmware %1 taken: no answer from now on").arg(fileName));
            return;
        }
        device.identity.versionMajor = m_options.upgradedVersion->first;
        device.identity.versionMinor = m_options.upgradedVersion->second;
        noticeFrom(device, QStringLiteral("Firmware %1 taken: version %2.%3")
                               .arg(fileName)
                               .arg(device.identity.versionMajor, 2, 16, QLatin1Char('0'))
                               .arg(device.identity.versionMinor, 2, 16, QLatin1Char('0')));
        return;
    }
}

void DeviceSimulator::takeIpSetup(const QByteArray &datagram)
{
    const auto setup = DeviceDatagrams::readIpSetup(datagram);
    if (!setup)
        return;
    bool taken = false;
    for (SimulatedDevice &device : m_devices) {
        if (setup->hardwareTail != device.identity.hardwareAddress.right(2))
            continue;
        taken = true;
        device.assigned = setup->address;
        if (!device.address.isNull())
            device.address = setup->address; // it answers at its new address from now on
        noticeFrom(device, QStringLiteral("Address %1 taken").arg(setup->address.toString()));
        Q_EMIT addressAssigned(setup->address);
        if (device.installer)
            device.installer->install(setup->address);
    }
    if (!taken)
        Q_EMIT notice(QStringLiteral("IP-SETUP for another device (%1) ignored")
                          .arg(QString::fromLatin1(setup->hardwareTail.toHex('-'))));
}
