#include "DeviceSimulator.h"

#include "AddressInstaller.h"
#include "DeviceDatagrams.h"
#include "TftpWriteServer.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

DeviceSimulator::DeviceSimulator(QObject *parent) : QObject(parent) {}

DeviceSimulator::~DeviceSimulator() = default;

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
    m_options = options;

    m_querySocket = new QUdpSocket(this);
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
    connect(m_tftp, &TftpWriteServer::fileStored, this, &DeviceSimulator::fileStored);
    connect(m_tftp, &TftpWriteServer::notice, this, &DeviceSimulator::notice);
    QString why;
    if (!m_tftp->start({options.bindAddress, options.tftpPort, options.storeFolder, options.fault,
                        options.ackDelayMs, options.lostDataBlocks},
                       &why)) {
        delete m_tftp;
        m_tftp = nullptr;
        delete m_querySocket;
        m_querySocket = nullptr;
        return fail(why);
    }

    if (!options.interfaceName.isEmpty()) {
        m_installer = new AddressInstaller(options.interfaceName, this);
        connect(m_installer, &AddressInstaller::installed, this,
                &DeviceSimulator::addressInstalled);
        connect(m_installer, &AddressInstaller::notice, this, &DeviceSimulator::notice);
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
    m_log.append(entry);
    Q_EMIT datagramLogged(entry);
}

void DeviceSimulator::onQueryReadable()
{
    while (m_querySocket && m_querySocket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_querySocket->receiveDatagram();
        if (!datagram.isValid())
            continue;
        const QHostAddress peer = datagram.senderAddress();
        const quint16 peerPort = quint16(datagram.senderPort());
        const quint16 local = m_querySocket->localPort();
        record({QDateTime::currentDateTime(), false, peer, peerPort, local, datagram.data()});

        if (DeviceDatagrams::isQueryRequest(datagram.data())) {
            const QByteArray reply =
                DeviceDatagrams::queryReply(m_options.identity, m_options.replyMode,
                                            m_options.shortReplyLength, m_options.longReplyLength);
            if (m_options.replyMode == QueryReplyMode::None)
                continue;
            if (m_querySocket->writeDatagram(reply, peer, peerPort) < 0)
                Q_EMIT notice(QStringLiteral("Query reply failed: ") +
                              m_querySocket->errorString());
            else
                record({QDateTime::currentDateTime(), true, peer, peerPort, local, reply});
        } else if (const auto setup = DeviceDatagrams::readIpSetup(datagram.data())) {
            if (setup->hardwareTail != m_options.identity.hardwareAddress.right(2)) {
                Q_EMIT notice(QStringLiteral("IP-SETUP for another device (%1) ignored")
                                  .arg(QString::fromLatin1(setup->hardwareTail.toHex('-'))));
                continue;
            }
            m_assigned = setup->address;
            Q_EMIT notice(QStringLiteral("Address %1 taken").arg(m_assigned.toString()));
            Q_EMIT addressAssigned(m_assigned);
            if (m_installer)
                m_installer->install(m_assigned);
        }
    }
}
