#include "NetnsFixture.h"
#include "TftpTestClient.h"
#include "core/net/PingControl.h"
#include "core/support/Failure.h"

#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QUdpSocket>
#include <QtTest>

namespace {
QByteArray ipSetup(const QByteArray &tail, const QHostAddress &address)
{
    QByteArray datagram = QByteArray::fromHex("000000fc") + "IP-SETUP" + QByteArray(2, '\0') + tail;
    const quint32 value = address.toIPv4Address();
    for (int shift = 24; shift >= 0; shift -= 8)
        datagram += char((value >> shift) & 0xFF);
    return datagram;
}

// Pings once; "reply", "timeout", or the failure text.
QString pingOnce(const QString &target, int waitMs = 300)
{
    PingControl ping;
    QString outcome;
    QObject::connect(&ping, &PingControl::replyReceived, &ping,
                     [&] { outcome = QStringLiteral("reply"); });
    QObject::connect(&ping, &PingControl::replyTimedOut, &ping,
                     [&] { outcome = QStringLiteral("timeout"); });
    ping.setTargetHost(target);
    ping.setFirstTimeValue(waitMs);
    ping.setSecondTimeValue(0);
    try {
        ping.setEnabled(true);
    } catch (const Failure &failure) {
        return failure.description();
    }
    (void)QTest::qWaitFor([&] { return !outcome.isEmpty(); }, waitMs + 2000);
    ping.setEnabled(false);
    return outcome;
}
} // namespace

// The devsim program inside a network namespace of the test's own.
class NamespaceSimulatorTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ipSetupBroadcastMakesTheNewAddressAnswer();
};

void NamespaceSimulatorTest::ipSetupBroadcastMakesTheNewAddressAnswer()
{
    NETNS_OR_SKIP(ns, why);
    QVERIFY2(ns.startSimulator({"--hardware-address", "02-00-00-04-0B-0C"}, &why), qPrintable(why));
    const QHostAddress newAddress(ns.address(50));
    const QString before = pingOnce(newAddress.toString());
    if (before != QLatin1String("timeout") && before != QLatin1String("reply"))
        QSKIP(qPrintable(before)); // no ICMP permission here
    QCOMPARE(before, QStringLiteral("timeout"));

    // The query crosses the pair to the simulator.
    QUdpSocket socket;
    QVERIFY(socket.bind(QHostAddress::AnyIPv4, 0));
    socket.writeDatagram(QByteArray::fromHex("000000f6"), QHostAddress(ns.namespaceAddress()),
                         ns.queryPort());
    QTRY_VERIFY(socket.hasPendingDatagrams());
    QCOMPARE(socket.receiveDatagram().data().mid(24), QByteArray::fromHex("020000040b0c"));

    // Another device's tail is ignored; ours is taken and the address goes up.
    const QHostAddress broadcast(ns.broadcastAddress());
    socket.writeDatagram(ipSetup(QByteArray::fromHex("0b0d"), newAddress), broadcast,
                         ns.queryPort());
    QVERIFY(ns.waitForLog(QStringLiteral("IP-SETUP for another device (0b-0d) ignored"), 3000));
    QCOMPARE(pingOnce(newAddress.toString()), QStringLiteral("timeout"));
    socket.writeDatagram(ipSetup(QByteArray::fromHex("0b0c"), newAddress), broadcast,
                         ns.queryPort());
    QVERIFY2(ns.waitForLog(QStringLiteral("Address %1 is up").arg(newAddress.toString()), 3000),
             qPrintable(ns.simulatorLog()));
    QVERIFY(ns.simulatorLog().contains(
        QStringLiteral("(20 bytes) 00 00 00 FC 49 50 2D 53 45 54 55 50 00 00 0B 0C C6 12")));
    // The earlier unanswered pings left this host's neighbour entry resolving
    // at one probe a second: allow for the next probe.
    QCOMPARE(pingOnce(newAddress.toString(), 2500), QStringLiteral("reply"));

    // A file reaches the simulator's folder over the pair as well.
    TftpTestClient client(QHostAddress(ns.namespaceAddress()));
    client.write(QStringLiteral("ROM"), QByteArray(1000, 'r'), ns.tftpPort());
    QTRY_VERIFY(client.finished());
    QFile stored(ns.storeFolder() + QStringLiteral("/ROM"));
    QVERIFY(stored.open(QIODevice::ReadOnly));
    QCOMPARE(stored.readAll(), QByteArray(1000, 'r'));
}

QObject *createNamespaceSimulatorTest()
{
    return new NamespaceSimulatorTest;
}

#include "NamespaceSimulatorTest.moc"
