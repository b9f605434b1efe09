#include "DeviceDatagrams.h"
#include "SimulatorFixture.h"
#include "TftpTestClient.h"
#include "TftpWriteServer.h"

#include <QNetworkDatagram>
#include <QProcess>
#include <QSignalSpy>
#include <QUdpSocket>
#include <QtTest>

namespace {
const QByteArray Query = QByteArray::fromHex("000000f6");

// Sends one datagram to the simulator's port and waits for the answers.
QList<QByteArray> exchange(quint16 port, const QByteArray &datagram, int expected = 1)
{
    QUdpSocket socket;
    socket.bind(QHostAddress::LocalHost, 0);
    socket.writeDatagram(datagram, QHostAddress::LocalHost, port);
    QList<QByteArray> replies;
    auto drain = [&] {
        while (socket.hasPendingDatagrams())
            replies.append(socket.receiveDatagram().data());
        return expected > 0 && replies.size() >= expected;
    };
    // With no answer expected, wait out a short window to catch a wrong one.
    if (!QTest::qWaitFor(drain, expected > 0 ? 2000 : 150))
        drain();
    return replies;
}

QByteArray ipSetupDatagram(const QByteArray &tail, const QByteArray &address)
{
    return QByteArray::fromHex("000000fc") + "IP-SETUP" + QByteArray(2, '\0') + tail + address;
}

QByteArray pattern(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xFF);
    return bytes;
}
} // namespace

class DeviceSimulatorTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void queryReply_data();
    void queryReply();
    void ipSetup_data();
    void ipSetup();
    void tftpStoresFiles_data();
    void tftpStoresFiles();
    void tftpRefusesUnsafeNames_data();
    void tftpRefusesUnsafeNames();
    void tftpFaults_data();
    void tftpFaults();
    void tftpDelayAck();
    void tftpLosesChosenBlocksOnce();
    void tftpNewPortIgnoresOldPort();
    void logRecordsBothDirections();
    void manyDevicesEachAnswerAtTheirOwnAddress();
    void startRefusesUnusableOptions_data();
    void startRefusesUnusableOptions();
};

void DeviceSimulatorTest::queryReply_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("typeCode");
    QTest::addColumn<QByteArray>("expected"); // empty: no reply

    const QByteArray base = QByteArray::fromHex("000000f7 0000 1004 5831"
                                                "0000000000000000000000000000"
                                                "020000040b0c");
    QByteArray typed = base;
    typed[27] = char(0x02); // code 2 replaces the low nibble of 0x04
    const int normal = int(QueryReplyMode::Normal);
    QTest::newRow("normal") << Query << normal << -1 << base;
    QTest::newRow("type code") << Query << normal << 2 << typed;
    QTest::newRow("short") << Query << int(QueryReplyMode::Short) << -1 << base.left(4);
    QTest::newRow("long") << Query << int(QueryReplyMode::Long) << -1
                          << base + QByteArray(10, char(0xEE));
    QTest::newRow("none") << Query << int(QueryReplyMode::None) << -1 << QByteArray();
    // Only the exact query is answered.
    QTest::newRow("empty datagram") << QByteArray() << normal << -1 << QByteArray();
    QTest::newRow("query and a byte")
        << QByteArray::fromHex("000000f6ff") << normal << -1 << QByteArray();
    QTest::newRow("3 bytes") << QByteArray::fromHex("0000f6") << normal << -1 << QByteArray();
    QTest::newRow("20 bytes") << QByteArray(20, 'x') << normal << -1 << QByteArray();
}

void DeviceSimulatorTest::queryReply()
{
    QFETCH(QByteArray, datagram);
    QFETCH(int, mode);
    QFETCH(int, typeCode);
    QFETCH(QByteArray, expected);

    SimulatorFixture sim;
    sim.options.identity.hardwareAddress = QByteArray::fromHex("020000040b0c");
    sim.options.identity.versionMajor = 0x04;
    sim.options.identity.versionMinor = 0x10;
    sim.options.identity.firmwareType = "X1";
    sim.options.identity.deviceTypeCode = typeCode;
    sim.options.replyMode = QueryReplyMode(mode);
    QVERIFY(sim.start());

    const QList<QByteArray> replies =
        exchange(sim.queryPort(), datagram, expected.isEmpty() ? 0 : 1);
    if (expected.isEmpty()) {
        QVERIFY(replies.isEmpty());
        QCOMPARE(sim.receivedBytes(), QList<QByteArray>{datagram});
        QVERIFY(sim.sentBytes().isEmpty());
    } else {
        QCOMPARE(replies, QList<QByteArray>{expected});
        QCOMPARE(sim.sentBytes(), QList<QByteArray>{expected});
    }
}

void DeviceSimulatorTest::ipSetup_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QString>("assigned"); // empty: not taken

    // IP-SETUP to 198.18.2.10 for the device with this hardware address tail.
    const auto setupFor = [](const char *tail) {
        return ipSetupDatagram(QByteArray::fromHex(tail), QByteArray::fromHex("c612020a"));
    };
    const QByteArray ours = setupFor("0b0c");
    QTest::newRow("matching tail") << ours << "198.18.2.10";
    QTest::newRow("other tail") << setupFor("0b0d") << QString();
    QTest::newRow("tail reversed") << setupFor("0c0b") << QString();
    QTest::newRow("too long") << ours + '\0' << QString();
    QTest::newRow("bad marker") << QByteArray(ours).replace(4, 2, "XX") << QString();
}

void DeviceSimulatorTest::ipSetup()
{
    QFETCH(QByteArray, datagram);
    QFETCH(QString, assigned);

    SimulatorFixture sim;
    QVERIFY(sim.start());
    QSignalSpy spy(&sim.simulator(), &DeviceSimulator::addressAssigned);
    QVERIFY(exchange(sim.queryPort(), datagram, 0).isEmpty()); // IP-SETUP is never answered
    QTRY_COMPARE(sim.receivedBytes().size(), 1);
    if (assigned.isEmpty()) {
        QCOMPARE(spy.count(), 0);
        QVERIFY(sim.simulator().assignedAddress().isNull());
    } else {
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<QHostAddress>(), QHostAddress(assigned));
        QCOMPARE(sim.simulator().assignedAddress(), QHostAddress(assigned));
    }
}

void DeviceSimulatorTest::tftpStoresFiles_data()
{
    QTest::addColumn<int>("size");
    for (int size : {0, 1, 511, 512, 513, 1024, 300000})
        QTest::newRow(qPrintable(QString::number(size))) << size;
}

void DeviceSimulatorTest::tftpStoresFiles()
{
    QFETCH(int, size);
    SimulatorFixture sim;
    QVERIFY(sim.start());
    QSignalSpy stored(&sim.simulator(), &DeviceSimulator::fileStored);

    const QByteArray content = pattern(size);
    TftpTestClient client;
    client.write("ROM", content, sim.tftpPort());
    QTRY_VERIFY_WITH_TIMEOUT(client.finished(), 10000);
    QCOMPARE(client.blocksSent(), size / 512 + 1);
    QCOMPARE(sim.storedFile("ROM"), content);
    QCOMPARE(stored.count(), 1);
    QCOMPARE(stored.at(0).at(1).toLongLong(), qint64(size));
    // Lock-step: one acknowledgement per datagram received, all from the server port.
    QCOMPARE(sim.sentBytes().size(), sim.receivedBytes().size());
    for (quint16 port : client.replyPorts())
        QCOMPARE(port, sim.tftpPort());
}

void DeviceSimulatorTest::tftpRefusesUnsafeNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("slash") << "sub/ROM";
    QTest::newRow("absolute") << "/tmp/ROM";
    QTest::newRow("parent") << "..";
    QTest::newRow("parent prefix") << "../ROM";
    QTest::newRow("backslash") << "..\\ROM";
    QTest::newRow("empty") << QString();
    QTest::newRow("control char") << "RO\nM";
}

void DeviceSimulatorTest::tftpRefusesUnsafeNames()
{
    QFETCH(QString, name);
    SimulatorFixture sim;
    QVERIFY(sim.start());
    TftpTestClient client;
    client.write(name, "data", sim.tftpPort());
    QTRY_VERIFY(client.failed());
    QCOMPARE(client.errorPacket(), QByteArray::fromHex("00050002") + "Access violation" + '\0');
    QCOMPARE(QDir(sim.storeFolder()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList());
    QVERIFY(!TftpWriteServer::isAcceptableName(name));
}

void DeviceSimulatorTest::tftpFaults_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<QList<QByteArray>>("firstReplies"); // to the request, in a 150 ms window
    const QByteArray ack0 = QByteArray::fromHex("00040000");
    QTest::newRow("never ack") << int(TftpFault::NeverAck) << QList<QByteArray>{};
    QTest::newRow("error packet") << int(TftpFault::ErrorPacket)
                                  << QList<QByteArray>{QByteArray::fromHex("00050000") +
                                                       "Simulated fault" + '\0'};
    QTest::newRow("short datagram")
        << int(TftpFault::ShortDatagram) << QList<QByteArray>{QByteArray::fromHex("000400")};
    QTest::newRow("repeat ack") << int(TftpFault::RepeatAck) << QList<QByteArray>{ack0, ack0};
    QTest::newRow("new port") << int(TftpFault::NewPort) << QList<QByteArray>{ack0};
}

void DeviceSimulatorTest::tftpFaults()
{
    QFETCH(int, fault);
    QFETCH(QList<QByteArray>, firstReplies);
    SimulatorFixture sim;
    sim.options.fault = TftpFault(fault);
    QVERIFY(sim.start());

    TftpTestClient client;
    client.write("WEB1", pattern(1500), sim.tftpPort());
    QTest::qWait(150);
    QCOMPARE(client.received().mid(0, firstReplies.size()), firstReplies);
    if (TftpFault(fault) == TftpFault::NewPort) {
        QVERIFY(client.replyPorts().at(0) != sim.tftpPort());
        QTRY_VERIFY(client.finished()); // a standard writer follows the new port
        QCOMPARE(sim.storedFile("WEB1"), pattern(1500));
    } else if (TftpFault(fault) == TftpFault::RepeatAck) {
        QTRY_VERIFY(client.finished());
        QCOMPARE(sim.storedFile("WEB1"), pattern(1500));
        QCOMPARE(sim.sentBytes().size(), 2 * 4); // acks 0..3, each twice
    } else {
        QCOMPARE(client.received().size(), firstReplies.size());
        QVERIFY(!client.finished());
    }
}

void DeviceSimulatorTest::tftpDelayAck()
{
    SimulatorFixture sim;
    sim.options.fault = TftpFault::DelayAck;
    sim.options.ackDelayMs = 120;
    QVERIFY(sim.start());
    TftpTestClient client;
    QElapsedTimer clock;
    clock.start();
    client.write("ROM", pattern(600), sim.tftpPort());
    QTRY_VERIFY(client.finished());
    QVERIFY2(clock.elapsed() >= 3 * 120, qPrintable(QString::number(clock.elapsed())));
    const QList<LoggedDatagram> log = sim.log();
    QCOMPARE(log.size(), 6);
    for (int i = 0; i < log.size(); i += 2) // each request/block, then its held-back ack
        QVERIFY(log.at(i).when.msecsTo(log.at(i + 1).when) >= 110);
    QCOMPARE(sim.storedFile("ROM"), pattern(600));
}

void DeviceSimulatorTest::tftpLosesChosenBlocksOnce()
{
    // Block 2 is lost on the way the first time it comes in each transfer:
    // not stored, not acknowledged, not logged; its repeat goes through.
    SimulatorFixture sim;
    sim.options.lostDataBlocks = {2};
    QVERIFY(sim.start());
    QSignalSpy notices(&sim.simulator(), &DeviceSimulator::notice);
    const QByteArray content = pattern(612);
    const auto block = [&](int n) {
        return QByteArray::fromHex(n == 1 ? "00030001" : "00030002") +
               content.mid((n - 1) * 512, 512);
    };
    for (const QString &name : QStringList{"A", "B"}) {
        QUdpSocket writer;
        QVERIFY(writer.bind(QHostAddress::LocalHost, 0));
        // The simulator runs in this thread: wait with the event loop running.
        const auto exchange = [&](const QByteArray &datagram, int waitMs = 2000) {
            writer.writeDatagram(datagram, QHostAddress::LocalHost, sim.tftpPort());
            const bool answered =
                QTest::qWaitFor([&] { return writer.hasPendingDatagrams(); }, waitMs);
            return answered ? writer.receiveDatagram().data() : QByteArray();
        };
        QCOMPARE(exchange(QByteArray::fromHex("0002") + name.toLatin1() + '\0' + "octet" + '\0'),
                 QByteArray::fromHex("00040000"));
        QCOMPARE(exchange(block(1)), QByteArray::fromHex("00040001"));
        QCOMPARE(exchange(block(2), 150), QByteArray());
        QCOMPARE(exchange(block(2)), QByteArray::fromHex("00040002"));
        QCOMPARE(sim.storedFile(name), content);
    }
    QCOMPARE(notices.count(), 2);
    QCOMPARE(sim.receivedBytes().size(), 2 * 3);
}

void DeviceSimulatorTest::tftpNewPortIgnoresOldPort()
{
    // A writer that keeps talking to the request port is not heard.
    SimulatorFixture sim;
    sim.options.fault = TftpFault::NewPort;
    QVERIFY(sim.start());
    QUdpSocket writer;
    writer.bind(QHostAddress::LocalHost, 0);
    writer.writeDatagram(QByteArray::fromHex("0002") + "ROM" + '\0' + "octet" + '\0',
                         QHostAddress::LocalHost, sim.tftpPort());
    QTRY_VERIFY(writer.hasPendingDatagrams());
    writer.writeDatagram(QByteArray::fromHex("00030001") + "x", QHostAddress::LocalHost,
                         sim.tftpPort());
    QTRY_COMPARE(sim.sentBytes().size(), 2);
    QCOMPARE(sim.sentBytes().at(1), QByteArray::fromHex("00050005") + "Unknown transfer ID" + '\0');
    QCOMPARE(sim.storedFile("ROM"), QByteArray(""));
}

void DeviceSimulatorTest::logRecordsBothDirections()
{
    SimulatorFixture sim;
    QVERIFY(sim.start());
    QSignalSpy spy(&sim.simulator(), &DeviceSimulator::datagramLogged);
    QUdpSocket socket;
    socket.bind(QHostAddress::LocalHost, 0);
    socket.writeDatagram(Query, QHostAddress::LocalHost, sim.queryPort());
    QTRY_COMPARE(spy.count(), 2);
    const QList<LoggedDatagram> log = sim.log();
    QCOMPARE(log.at(0).sent, false);
    QCOMPARE(log.at(0).peerPort, socket.localPort());
    QCOMPARE(log.at(0).localPort, sim.queryPort());
    QCOMPARE(log.at(1).sent, true);
    QCOMPARE(log.at(1).bytes.size(), 30);
    QVERIFY(formatLoggedDatagram(log.at(0)).endsWith(
        QStringLiteral(" RECV 127.0.0.1:") + QString::number(socket.localPort()) + " -> port " +
        QString::number(sim.queryPort()) + " (4 bytes) 00 00 00 F6"));
}

void DeviceSimulatorTest::manyDevicesEachAnswerAtTheirOwnAddress()
{
    // Three devices at 127.0.0.10-12 (all of 127/8 is this host's).
    SimulatorFixture sim;
    sim.options.bindAddress = QHostAddress(QHostAddress::AnyIPv4);
    sim.options.deviceCount = 3;
    sim.options.firstAddress = QHostAddress("127.0.0.10");
    QVERIFY(sim.start());
    QUdpSocket socket;
    QVERIFY(socket.bind(QHostAddress::LocalHost, 0));
    auto ask = [&](const char *address, const QByteArray &datagram, quint16 port) {
        socket.writeDatagram(datagram, QHostAddress(address), port);
        QList<QNetworkDatagram> replies;
        auto drain = [&] {
            while (socket.hasPendingDatagrams())
                replies.append(socket.receiveDatagram());
            return !replies.isEmpty();
        };
        if (QTest::qWaitFor(drain, 2000))
            QTest::qWait(50); // a second answer would be a fault
        drain();
        return replies;
    };

    // A query to one address: that device alone answers, from that address.
    QList<QNetworkDatagram> replies = ask("127.0.0.11", Query, sim.queryPort());
    QCOMPARE(replies.size(), 1);
    QCOMPARE(replies[0].senderAddress(), QHostAddress("127.0.0.11"));
    QCOMPARE(replies[0].data().mid(24), QByteArray::fromHex("020000040b0d"));

    // IP-SETUP for the third device's tail moves it alone to its new address.
    socket.writeDatagram(
        ipSetupDatagram(QByteArray::fromHex("0b0e"), QByteArray::fromHex("7f000032")),
        QHostAddress("127.0.0.10"), sim.queryPort());
    QTRY_COMPARE(sim.simulator().devices()[2].assigned, QHostAddress("127.0.0.50"));
    QVERIFY(sim.simulator().devices()[0].assigned.isNull());
    replies = ask("127.0.0.50", Query, sim.queryPort());
    QCOMPARE(replies.size(), 1);
    QCOMPARE(replies[0].data().mid(24), QByteArray::fromHex("020000040b0e"));
    QVERIFY(ask("127.0.0.12", Query, sim.queryPort()).isEmpty());

    // A file sent to the second device lands in its own folder; its
    // acknowledgements come from its address.
    TftpTestClient client(QHostAddress("127.0.0.11"));
    client.write("WEB1", pattern(700), sim.tftpPort());
    QTRY_VERIFY(client.finished());
    QCOMPARE(sim.storedFile("02-00-00-04-0B-0D/WEB1"), pattern(700));
    const auto sent = sim.log();
    QVERIFY(std::any_of(sent.begin(), sent.end(), [](const LoggedDatagram &entry) {
        return entry.sent && entry.device == "02-00-00-04-0B-0D" && entry.bytes.startsWith("\0\4");
    }));
}

void DeviceSimulatorTest::startRefusesUnusableOptions_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("bind");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("hardware");
    QTest::addColumn<QString>("reason");
    const auto row = [](const char *name, int count, const char *bind, const char *first,
                        const char *hardware, const char *reason) {
        QTest::newRow(name) << count << QString(bind) << QString(first) << QString(hardware)
                            << QString(reason);
    };
    row("hardware address too short", 1, "127.0.0.1", "", "0200",
        "hardware address must have 6 bytes");
    row("no devices", 0, "0.0.0.0", "", "020000040b0c", "device count");
    row("own addresses, one bind address", 2, "127.0.0.1", "127.0.0.10", "020000040b0c",
        "bound to 0.0.0.0");
    row("addresses past the end", 3, "0.0.0.0", "255.255.255.253", "020000040b0c",
        "255.255.255.254");
    row("hardware addresses past the end", 2, "0.0.0.0", "", "ffffffffffff", "FF-FF-FF-FF-FF-FF");
}

void DeviceSimulatorTest::startRefusesUnusableOptions()
{
    QFETCH(int, count);
    QFETCH(QString, bind);
    QFETCH(QString, first);
    QFETCH(QString, hardware);
    QFETCH(QString, reason);
    SimulatorFixture sim;
    sim.options.deviceCount = count;
    sim.options.bindAddress = QHostAddress(bind);
    sim.options.firstAddress = first.isEmpty() ? QHostAddress() : QHostAddress(first);
    sim.options.identity.hardwareAddress = QByteArray::fromHex(hardware.toLatin1());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(reason)));
    QVERIFY(!sim.start());
    QCOMPARE(sim.queryPort(), quint16(0));
}

QObject *createDeviceSimulatorTest()
{
    return new DeviceSimulatorTest;
}

#include "DeviceSimulatorTest.moc"
