#include "HostileReplyTest.h"

#include "LoopbackPeer.h"
#include "RandomBytes.h"
#include "TestContext.h"
#include "core/device/DeviceQuery.h"
#include "core/net/UdpSocketControl.h"

#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

void HostileReplyTest::replyOfAnyLength_data()
{
    QTest::addColumn<int>("length");
    for (int length : {0, 1, 6, 7, 8, 9, 10, 24, 27, 28, 29, 30, 31, 1500, 65507})
        QTest::addRow("%d bytes", length) << length;
}

void HostileReplyTest::replyOfAnyLength()
{
    // Only what lies within the reply is decoded; anything past byte 29 is ignored.
    QFETCH(int, length);
    const QByteArray reply = randomBytes(length, quint32(length) + 7);
    const DecodedReply identity = decodeQueryReply(reply);
    const auto within = [length](int from, int count) { return qBound(0, length - from, count); };
    QCOMPARE(identity.firmwareType.size(), within(8, 2));
    QCOMPARE(identity.firmwareVersion.isEmpty(), length < 8);
    QCOMPARE(identity.deviceType.isEmpty(), length < 28);
    const int hw = within(24, 6);
    QCOMPARE(identity.hardwareAddress.size(), hw == 0 ? 0 : hw * 3 - (hw == 6 ? 1 : 0));
    if (length > 30) {
        const DecodedReply head = decodeQueryReply(reply.left(30));
        QCOMPARE(identity.hardwareAddress, head.hardwareAddress);
        QCOMPARE(identity.firmwareVersion, head.firmwareVersion);
        QCOMPARE(identity.firmwareType, head.firmwareType);
        QCOMPARE(identity.deviceType, head.deviceType);
    }
}

void HostileReplyTest::onlyTheDevicesFirstReplyIsTaken()
{
    // Strangers (another port, another loopback address on the device's port)
    // are not the device; of the device's burst only the first one counts.
    TestContext tc;
    LoopbackPeer device;
    QVERIFY(device.bound);
    QUdpSocket otherPort;
    QVERIFY(otherPort.bind(QHostAddress::LocalHost, 0));
    QUdpSocket otherHost;
    const bool haveOtherHost =
        otherHost.bind(QHostAddress(QStringLiteral("127.0.0.2")), device.socket.localPort());
    tc.context.ports.query = device.socket.localPort();
    DeviceQuery query(tc.context.ports.query, tc.context.intervals.queryTimeoutMs);
    query.prepareSocket();
    QList<DecodedReply> replies;
    QObject::connect(&query, &DeviceQuery::replyReceived,
                     [&replies](const DecodedReply &identity) { replies << identity; });
    QSignalSpy timeouts(&query, &DeviceQuery::timedOut);
    query.startQuery(QStringLiteral(" 127.0.0.1 "));
    QTRY_COMPARE(device.received.size(), 1);
    QCOMPARE(device.received.first(), queryRequest());

    const QByteArray stranger(30, '\x11');
    otherPort.writeDatagram(stranger, QHostAddress::LocalHost, device.lastSenderPort);
    if (haveOtherHost)
        otherHost.writeDatagram(stranger, QHostAddress::LocalHost, device.lastSenderPort);
    QTest::qWait(50);
    QCOMPARE(replies.size(), 0);

    QByteArray genuine(30, '\0');
    genuine[7] = '\x04';
    genuine[6] = '\x05';
    device.reply(genuine);
    for (int i = 0; i < 200; ++i)
        device.reply(randomBytes(i * 300, quint32(i)));
    QTRY_COMPARE(replies.size(), 1);
    QTest::qWait(tc.context.intervals.queryTimeoutMs + 100);
    QCOMPARE(replies.size(), 1);
    QCOMPARE(timeouts.size(), 0);
    QCOMPARE(replies.first().firmwareVersion, QStringLiteral("4.5"));
    QVERIFY(!query.socket().isConnected());
    QVERIFY(!query.awaitingReply());
}

void HostileReplyTest::replyAfterTheTimeoutIsNotSeen()
{
    TestContext tc;
    LoopbackPeer device;
    QVERIFY(device.bound);
    tc.context.ports.query = device.socket.localPort();
    DeviceQuery query(tc.context.ports.query, tc.context.intervals.queryTimeoutMs);
    query.prepareSocket();
    int replies = 0;
    QObject::connect(&query, &DeviceQuery::replyReceived, [&replies] { ++replies; });
    QSignalSpy timeouts(&query, &DeviceQuery::timedOut);
    query.startQuery(QStringLiteral("127.0.0.1"));
    QTRY_COMPARE(timeouts.size(), 1);
    device.reply(QByteArray(30, '\x01'));
    QTest::qWait(100);
    QCOMPARE(replies, 0);
    QCOMPARE(timeouts.size(), 1);
}
