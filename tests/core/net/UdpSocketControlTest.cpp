#include "core/net/UdpSocketControl.h"
#include "FailureOf.h"
#include "LoopbackPeer.h"
#include "SimulatorFixture.h"
#include "core/net/DatagramSocket.h"

#include <QNetworkProxy>
#include <QSignalSpy>
#include <QtTest>

namespace {
// Nothing more arrives at the peer within a short window.
bool staysAt(const LoopbackPeer &peer, const QList<QByteArray> &received)
{
    QTest::qWait(150);
    return peer.received == received;
}

// Sets the program's proxy for one test and puts the previous one back.
class ApplicationProxy {
public:
    explicit ApplicationProxy(const QNetworkProxy &proxy)
        : m_previous(QNetworkProxy::applicationProxy())
    {
        QNetworkProxy::setApplicationProxy(proxy);
    }
    ~ApplicationProxy() { QNetworkProxy::setApplicationProxy(m_previous); }
    ApplicationProxy(const ApplicationProxy &) = delete;
    ApplicationProxy &operator=(const ApplicationProxy &) = delete;

private:
    QNetworkProxy m_previous;
};

void aim(UdpSocketControl &control, quint16 remotePort)
{
    control.setAddressFamily(2);
    control.setProtocol(0);
    control.setSocketType(2);
    control.setBinary(true);
    control.setBlocking(false);
    control.setHostAddress(QStringLiteral(" 127.0.0.1 "));
    control.setLocalPort(0);
    control.setRemotePort(remotePort);
}
} // namespace

class UdpSocketControlTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void connectEventComesThroughTheEventLoop_data();
    void connectEventComesThroughTheEventLoop();
    void oneDatagramPerSend_data();
    void oneDatagramPerSend();
    void readsTheSimulatorReply_data();
    void readsTheSimulatorReply();
    void closeAndReconnect();
    void replyFromAnotherPort_data();
    void replyFromAnotherPort();
    void otherHostIsNeverTaken();
    void datagramDuringNestedLoopAfterReconnectIsRaised();
    void refusesWhatItCannotDo_data();
    void refusesWhatItCannotDo();
    void readsTheHostAddress_data();
    void readsTheHostAddress();
    void datagramSocketAddresses_data();
    void datagramSocketAddresses();
};

void UdpSocketControlTest::connectEventComesThroughTheEventLoop_data()
{
    QTest::addColumn<bool>("closeAtOnce");
    QTest::newRow("raised once, never inside the call") << false;
    QTest::newRow("a close before it drops it") << true;
}

void UdpSocketControlTest::connectEventComesThroughTheEventLoop()
{
    QFETCH(bool, closeAtOnce);
    LoopbackPeer peer;
    UdpSocketControl control;
    aim(control, peer.port());
    QSignalSpy spy(&control, &UdpSocketControl::connected);
    QCOMPARE(control.state(), 0);
    QVERIFY(!control.isConnected());
    control.connectSocket();
    QCOMPARE(spy.count(), 0);
    QCOMPARE(control.state(), 0); // associated only at the connection event
    if (closeAtOnce)
        control.close();
    QCOMPARE(control.isConnected(), !closeAtOnce);
    QTRY_COMPARE(spy.count(), closeAtOnce ? 0 : 1);
    QCOMPARE(control.state() != 0, !closeAtOnce);
    QTest::qWait(50);
    QCOMPARE(spy.count(), closeAtOnce ? 0 : 1);
}

void UdpSocketControlTest::oneDatagramPerSend_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("query") << QByteArray::fromHex("000000f6");
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("zeros and high bytes") << QByteArray::fromHex("0000ff80007f00");
    QTest::newRow("full data block") << QByteArray(516, char(0xA5));
}

void UdpSocketControlTest::oneDatagramPerSend()
{
    QFETCH(QByteArray, bytes);
    LoopbackPeer peer;
    UdpSocketControl control;
    aim(control, peer.port());
    control.connectSocket();
    QCOMPARE(control.send(bytes), qint64(bytes.size()));
    QTRY_COMPARE(peer.received, QList<QByteArray>{bytes});
    QVERIFY(staysAt(peer, {bytes})); // and nothing more
}

void UdpSocketControlTest::readsTheSimulatorReply_data()
{
    QTest::addColumn<qint64>("readLength");
    QTest::addColumn<int>("expectedCount");
    QTest::addColumn<bool>("deadProxy");
    QTest::newRow("the event's count") << qint64(30) << 30 << false;
    QTest::newRow("more than arrived") << qint64(100) << 30 << false;
    QTest::newRow("less than arrived") << qint64(10) << 10 << false;
    // A socket that asked for a proxy would bind through this one and fail.
    QTest::newRow("proxy configured, none used") << qint64(30) << 30 << true;
}

void UdpSocketControlTest::readsTheSimulatorReply()
{
    QFETCH(qint64, readLength);
    QFETCH(int, expectedCount);
    QFETCH(bool, deadProxy);
    const ApplicationProxy proxy(
        deadProxy ? QNetworkProxy(QNetworkProxy::Socks5Proxy, QStringLiteral("127.0.0.1"), 9)
                  : QNetworkProxy(QNetworkProxy::DefaultProxy));
    SimulatorFixture sim;
    QVERIFY(sim.start());
    UdpSocketControl control;
    aim(control, sim.queryPort());
    QList<int> lengths;
    QByteArray read;
    connect(&control, &UdpSocketControl::connected, this,
            [&] { control.send(QByteArray::fromHex("000000f6")); });
    connect(&control, &UdpSocketControl::dataArrived, this, [&](int length) {
        lengths.append(length);
        read = control.read(readLength);
    });
    control.connectSocket();
    QTRY_COMPARE(lengths, QList<int>{30});
    QCOMPARE(read.size(), expectedCount);
    QCOMPARE(read, sim.sentBytes().at(0).left(expectedCount));
    QCOMPARE(control.read(30), QByteArray()); // the datagram was taken
}

void UdpSocketControlTest::closeAndReconnect()
{
    LoopbackPeer first;
    LoopbackPeer second;
    UdpSocketControl control;
    QSignalSpy arrived(&control, &UdpSocketControl::dataArrived);
    aim(control, first.port());
    control.connectSocket();
    const quint16 oldLocal = control.localPort();
    control.close();
    QVERIFY(!control.isConnected());
    QCOMPARE(control.state(), 0);
    first.send("late", oldLocal);

    aim(control, second.port());
    QSignalSpy connected(&control, &UdpSocketControl::connected);
    control.connectSocket();
    QTRY_COMPARE(connected.count(), 1);
    control.send("hello");
    QTRY_COMPARE(second.received, QList<QByteArray>{"hello"});
    QVERIFY(staysAt(first, {}));
    second.send("reply", control.localPort());
    QTRY_COMPARE(arrived.count(), 1);
    QCOMPARE(arrived.at(0).at(0).toInt(), 5);
}

void UdpSocketControlTest::replyFromAnotherPort_data()
{
    QTest::addColumn<bool>("acceptAnyPort");
    QTest::newRow("off (default)") << false;
    QTest::newRow("on") << true;
}

void UdpSocketControlTest::replyFromAnotherPort()
{
    QFETCH(bool, acceptAnyPort);
    LoopbackPeer server;   // where the request goes
    LoopbackPeer transfer; // where the answer comes from
    UdpSocketControl control;
    aim(control, server.port());
    if (acceptAnyPort)
        control.setAcceptReplyFromAnyPort(true);
    QList<QByteArray> arrived;
    connect(&control, &UdpSocketControl::dataArrived, this,
            [&](int length) { arrived.append(control.read(length)); });
    control.connectSocket();
    control.send("request");
    QTRY_COMPARE(server.received.size(), 1);

    transfer.send("ack from new port", control.localPort());
    QTest::qWait(100);
    if (!acceptAnyPort) {
        QCOMPARE(arrived, QList<QByteArray>{});
        server.send("from the peer", control.localPort());
        QTRY_COMPARE(arrived, QList<QByteArray>{"from the peer"});
        return;
    }
    QCOMPARE(arrived, QList<QByteArray>{"ack from new port"});
    QCOMPARE(control.peerPort(), transfer.port());
    control.send("next block");
    QTRY_COMPARE(transfer.received, QList<QByteArray>{"next block"});
    QVERIFY(staysAt(server, {"request"}));
    // The port is settled now: the original one is no longer heard.
    server.send("stray", control.localPort());
    QTest::qWait(100);
    QCOMPARE(arrived.size(), 1);
}

void UdpSocketControlTest::otherHostIsNeverTaken()
{
    LoopbackPeer server;
    LoopbackPeer stranger(QHostAddress(QStringLiteral("127.0.0.2")));
    if (!stranger.bound)
        QSKIP("127.0.0.2 cannot be bound on this host");
    UdpSocketControl control;
    aim(control, server.port());
    control.setAcceptReplyFromAnyPort(true);
    QSignalSpy arrived(&control, &UdpSocketControl::dataArrived);
    control.connectSocket();
    stranger.send("spoof", control.localPort());
    QTest::qWait(100);
    QCOMPARE(arrived.count(), 0);
}

void UdpSocketControlTest::datagramDuringNestedLoopAfterReconnectIsRaised()
{
    // A handler that closes, reconnects and then waits in a nested loop (as a
    // modal box does) must not strand the datagrams arriving meanwhile.
    LoopbackPeer peer;
    UdpSocketControl control;
    aim(control, peer.port());
    QList<QByteArray> arrived;
    connect(&control, &UdpSocketControl::dataArrived, this, [&](int length) {
        arrived.append(control.read(length));
        if (arrived.size() == 1) {
            control.close();
            control.connectSocket();
            peer.send("second", control.localPort());
            QTest::qWait(100);
        }
    });
    control.connectSocket();
    peer.send("first", control.localPort());
    QTRY_COMPARE(arrived, (QList<QByteArray>{"first", "second"}));
}

void UdpSocketControlTest::refusesWhatItCannotDo_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("socketType");
    QTest::addColumn<int>("number");
    QTest::newRow("not an address")
        << QStringLiteral("device.local") << 2 << FailureNumber::InvalidAddress;
    QTest::newRow("octet out of range")
        << QStringLiteral("127.0.0.256") << 2 << FailureNumber::InvalidAddress;
    QTest::newRow("empty") << QString() << 2 << FailureNumber::InvalidAddress;
    QTest::newRow("stream type") << QStringLiteral("127.0.0.1") << 1
                                 << FailureNumber::InvalidAddress;
}

void UdpSocketControlTest::refusesWhatItCannotDo()
{
    QFETCH(QString, host);
    QFETCH(int, socketType);
    QFETCH(int, number);
    UdpSocketControl control;
    aim(control, 9);
    control.setHostAddress(host);
    control.setSocketType(socketType);
    try {
        control.connectSocket();
        QFAIL("connectSocket() did not fail");
    } catch (const Failure &failure) {
        QCOMPARE(failure.number(), number);
        QVERIFY(!failure.description().isEmpty());
    }
    QVERIFY(!control.isConnected());
    QCOMPARE(control.state(), 0);
    QCOMPARE(failureOf([&] { control.send("x"); }), FailureNumber::SocketNotConnected);
}

void UdpSocketControlTest::readsTheHostAddress_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("address"); // empty: refused
    QTest::newRow("blanks around") << " 127.0.0.1 "
                                   << "127.0.0.1";
    QTest::newRow("blanks inside, signs, zeros") << "+127 . 000.-0.01"
                                                 << "127.0.0.1";
    QTest::newRow("zeros before a small number") << "127.0.0.0000000000000000000001"
                                                 << "127.0.0.1";
    QTest::newRow("negative") << "127.0.0.-1"
                              << "";
    QTest::newRow("five numbers") << "127.0.0.1.1"
                                  << "";
    QTest::newRow("three numbers") << "127.0.1"
                                   << "";
    QTest::newRow("empty number") << "127..0.1"
                                  << "";
    QTest::newRow("exponent") << "127.0.0.1e0"
                              << "";
    QTest::newRow("huge number") << "127.0.0.99999999999"
                                 << "";
    QTest::newRow("non-ASCII digit") << QString::fromUtf8("127.0.0.\u0661") << "";
}

void UdpSocketControlTest::readsTheHostAddress()
{
    QFETCH(QString, host);
    QFETCH(QString, address);
    const QHostAddress read = parseDottedAddress(host);
    QCOMPARE(read.isNull() ? QString() : read.toString(), address);
}

void UdpSocketControlTest::datagramSocketAddresses_data()
{
    QTest::addColumn<QString>("to");     // where the datagram is sent
    QTest::addColumn<QString>("source"); // the sender address asked for; empty: the system's
    QTest::addColumn<int>("capacity");   // of the receiving buffer
    QTest::newRow("the system's source") << "127.0.0.1"
                                         << "" << 64;
    QTest::newRow("chosen source, another destination") << "127.0.0.3"
                                                        << "127.0.0.2" << 64;
    QTest::newRow("cut to the buffer") << "127.0.0.1"
                                       << "" << 3;
}

void UdpSocketControlTest::datagramSocketAddresses()
{
    QFETCH(QString, to);
    QFETCH(QString, source);
    QFETCH(int, capacity);
    DatagramSocket sender;
    DatagramSocket receiver;
    QVERIFY(sender.bind(0, 0));
    QVERIFY(receiver.bind(0, 0, true));
    DatagramSocket second; // the port is taken
    QVERIFY(!second.bind(0, receiver.localPort()));
    QVERIFY(!second.errorString().isEmpty());

    QSignalSpy ready(&receiver, &DatagramSocket::readyRead);
    const QByteArray bytes = QByteArray::fromHex("0004123456");
    const quint32 toAddress = QHostAddress(to).toIPv4Address();
    const quint32 sourceAddress = source.isEmpty() ? 0 : QHostAddress(source).toIPv4Address();
    QCOMPARE(sender.send(bytes.constData(), bytes.size(), {toAddress, receiver.localPort()},
                         sourceAddress),
             qint64(bytes.size()));
    QVERIFY(ready.wait(2000));
    char buffer[64];
    DatagramSocket::Peer from;
    quint32 destination = 0;
    const qint64 length = receiver.receive(buffer, capacity, &from, &destination);
    QCOMPARE(QByteArray(buffer, length), bytes.left(capacity));
    QCOMPARE(from.address, sourceAddress ? sourceAddress : toAddress);
    QCOMPARE(from.port, sender.localPort());
    QCOMPARE(destination, toAddress);
    QCOMPARE(receiver.receive(buffer, capacity, &from), qint64(-1)); // nothing else waits
}

QObject *createUdpSocketControlTest()
{
    return new UdpSocketControlTest;
}

#include "UdpSocketControlTest.moc"
