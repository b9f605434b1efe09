#include "core/net/PingControl.h"
#include "NetnsFixture.h"
#include "core/net/IcmpEcho.h"
#include "core/support/Failure.h"

#include <QSignalSpy>
#include <QtTest>

#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// Opens only the given kind; the other is refused as the kernel would.
PingControl::SocketOpener only(int allowedType)
{
    return [allowedType](int type) {
        if (type != allowedType) {
            errno = type == SOCK_RAW ? EPERM : EACCES;
            return -1;
        }
        return ::socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMP);
    };
}

bool canOpen(int type)
{
    const int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// Records the events in order with the counts as the handler saw them.
struct Recorder {
    explicit Recorder(PingControl &control) : ping(control)
    {
        QObject::connect(&ping, &PingControl::echoRequestSent, &ping,
                         [this] { events << QStringLiteral("sent %1").arg(ping.echoCount()); });
        QObject::connect(&ping, &PingControl::replyReceived, &ping,
                         [this](quint16 sequence, quint16 bytes, quint32 ms) {
                             events << QStringLiteral("reply seq=%1 bytes=%2 echo=%3 replies=%4")
                                           .arg(sequence)
                                           .arg(bytes)
                                           .arg(ping.echoCount())
                                           .arg(ping.replyCount());
                             roundTrips << ms;
                         });
        QObject::connect(&ping, &PingControl::replyTimedOut, &ping, [this] {
            events << QStringLiteral("timeout echo=%1 replies=%2")
                          .arg(ping.echoCount())
                          .arg(ping.replyCount());
        });
        QObject::connect(&ping, &PingControl::error, &ping,
                         [this](quint16 code, const QString &text) {
                             errors << QStringLiteral("%1 %2").arg(code).arg(text);
                         });
    }
    int outcomes() const
    {
        int n = 0;
        for (const QString &e : events)
            n += e.startsWith(QLatin1String("reply")) || e.startsWith(QLatin1String("timeout"));
        return n;
    }
    PingControl &ping;
    QStringList events;
    QStringList errors;
    QList<quint32> roundTrips;
};

// Starts the control, or skips where this host opens no ICMP socket.
#define START_OR_SKIP(ping)                                                                        \
    do {                                                                                           \
        try {                                                                                      \
            (ping).setEnabled(true);                                                               \
        } catch (const Failure &failure) {                                                         \
            QSKIP(qPrintable(failure.description()));                                              \
        }                                                                                          \
    } while (false)

// The dialogs' settings, with short time values.
void prepare(PingControl &ping, const QString &target, int waitMs = 300, int pauseMs = 20)
{
    ping.setStartOption(true);
    ping.setDataSize(32);
    ping.setEnabled(false);
    ping.setFurtherOption(false);
    ping.setSecondTimeValue(pauseMs);
    ping.setTargetHost(target);
    ping.setFirstTimeValue(waitMs);
}
} // namespace

class PingControlTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void echoRequestBytes_data();
    void echoRequestBytes();
    void readReply_data();
    void readReply();
    void fourRepliesFromLoopback_data();
    void fourRepliesFromLoopback();
    void countsRestartAtEachStart();
    void twoControlsNeverTakeEachOthersReplies();
    void stopSilencesTheControl();
    void startOptionTimesTheFirstRequest_data();
    void startOptionTimesTheFirstRequest();
    void unansweredAddressTimesOut();
    void refusedSocketsFailClearly();
    void badTargetFails();
};

void PingControlTest::echoRequestBytes_data()
{
    QTest::addColumn<quint16>("identifier");
    QTest::addColumn<quint16>("sequence");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("expected");
    // Checksums worked by hand: ~(0x0800 + id + seq + payload words).
    QTest::newRow("no payload") << quint16(0x1234) << quint16(1) << QByteArray()
                                << QByteArray::fromHex("0800e5ca12340001");
    QTest::newRow("even payload") << quint16(0x0001) << quint16(0x0100) << QByteArray("ab")
                                  << QByteArray::fromHex("0800959c000101006162");
    QTest::newRow("odd payload") << quint16(0xFFFF) << quint16(0xFFFF) << QByteArray("a")
                                 << QByteArray::fromHex("080096ffffffffff61");
}

void PingControlTest::echoRequestBytes()
{
    QFETCH(quint16, identifier);
    QFETCH(quint16, sequence);
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, expected);
    const QByteArray request = IcmpEcho::request(identifier, sequence, payload);
    QCOMPARE(request.toHex(), expected.toHex());
    QCOMPARE(IcmpEcho::checksum(request), quint16(0)); // a correct sum checks to zero
}

void PingControlTest::readReply_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("withIpHeader");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("sequence");

    QByteArray reply = IcmpEcho::request(0x4242, 7, "payload");
    reply[0] = 0; // echo reply
    reply[2] = reply[3] = 0;
    const quint16 sum = IcmpEcho::checksum(reply);
    reply[2] = char(sum >> 8);
    reply[3] = char(sum & 0xFF);
    const QByteArray ipHeader = QByteArray::fromHex("45000023000000004001000"
                                                    "07f0000017f000001");
    QByteArray longHeader = QByteArray::fromHex("46") + ipHeader.mid(1) + QByteArray(4, '\0');
    QByteArray corrupt = reply;
    corrupt[9] = 'X';
    QTest::newRow("datagram socket") << reply << false << true << 7;
    QTest::newRow("raw socket") << ipHeader + reply << true << true << 7;
    QTest::newRow("ip options") << longHeader + reply << true << true << 7;
    QTest::newRow("echo request") << IcmpEcho::request(0x4242, 7, "payload") << false << false << 0;
    QTest::newRow("bad checksum") << corrupt << false << false << 0;
    QTest::newRow("cut short") << reply.left(7) << false << false << 0;
    QTest::newRow("header only") << ipHeader << true << false << 0;
    QTest::newRow("not ipv4") << QByteArray(28, '\x60') << true << false << 0;
}

void PingControlTest::readReply()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, withIpHeader);
    QFETCH(bool, valid);
    QFETCH(int, sequence);
    const auto reply = IcmpEcho::readReply(bytes, withIpHeader);
    QCOMPARE(reply.has_value(), valid);
    if (valid) {
        QCOMPARE(reply->identifier, quint16(0x4242));
        QCOMPARE(int(reply->sequence), sequence);
        QCOMPARE(reply->payload, QByteArray("payload"));
    }
}

void PingControlTest::fourRepliesFromLoopback_data()
{
    QTest::addColumn<int>("socketType");
    QTest::newRow("datagram socket") << int(SOCK_DGRAM);
    QTest::newRow("raw socket") << int(SOCK_RAW);
}

void PingControlTest::fourRepliesFromLoopback()
{
    QFETCH(int, socketType);
    if (!canOpen(socketType))
        QSKIP(socketType == SOCK_DGRAM
                  ? "ICMP datagram sockets are not permitted here (net.ipv4.ping_group_range)"
                  : "raw sockets need CAP_NET_RAW");
    PingControl ping(nullptr, only(socketType));
    Recorder recorder(ping);
    prepare(ping, QStringLiteral("127.0.0.1"));
    ping.setEnabled(true);
    QCOMPARE(ping.socketKind(), socketType == SOCK_DGRAM ? PingControl::SocketKind::Datagram
                                                         : PingControl::SocketKind::Raw);
    QTRY_VERIFY(recorder.outcomes() >= 4);
    ping.setEnabled(false);
    ping.setResetRequest(true);
    QCOMPARE(recorder.events.mid(0, 8),
             (QStringList{"sent 1", "reply seq=1 bytes=32 echo=1 replies=1", "sent 2",
                          "reply seq=2 bytes=32 echo=2 replies=2", "sent 3",
                          "reply seq=3 bytes=32 echo=3 replies=3", "sent 4",
                          "reply seq=4 bytes=32 echo=4 replies=4"}));
    for (quint32 ms : recorder.roundTrips)
        QVERIFY(ms < 300);
    QVERIFY2(recorder.errors.isEmpty(), qPrintable(recorder.errors.join(QLatin1Char('\n'))));
}

void PingControlTest::countsRestartAtEachStart()
{
    PingControl ping;
    Recorder recorder(ping);
    prepare(ping, QStringLiteral("127.0.0.1"));
    START_OR_SKIP(ping);
    QCOMPARE(recorder.events, QStringList{}); // no event inside the start call
    QCOMPARE(ping.echoCount(), 0u);
    QTRY_VERIFY(recorder.outcomes() >= 2);
    // A start while running (Assign IP pressed again) restarts from zero.
    recorder.events.clear();
    ping.setEnabled(true);
    QCOMPARE(ping.echoCount(), 0u);
    QCOMPARE(ping.replyCount(), 0u);
    QTRY_VERIFY(recorder.outcomes() >= 1);
    ping.setEnabled(false);
    QCOMPARE(recorder.events.mid(0, 2),
             (QStringList{"sent 1", "reply seq=1 bytes=32 echo=1 replies=1"}));
    ping.setResetRequest(true);
    QCOMPARE(ping.echoCount(), 0u);
}

void PingControlTest::twoControlsNeverTakeEachOthersReplies()
{
    // On a raw socket every echo reply on the host arrives; only our own count.
    PingControl first;
    PingControl second;
    Recorder a(first);
    Recorder b(second);
    prepare(first, QStringLiteral("127.0.0.1"), 300, 0);
    prepare(second, QStringLiteral("127.0.0.1"), 300, 0);
    START_OR_SKIP(first);
    START_OR_SKIP(second);
    QTRY_VERIFY(a.outcomes() >= 20 && b.outcomes() >= 20);
    first.setEnabled(false);
    second.setEnabled(false);
    for (const Recorder *r : {&a, &b}) {
        for (const QString &event : r->events)
            QVERIFY2(!event.startsWith(QLatin1String("timeout")), qPrintable(event));
        // Each reply taken is one of ours; the last request may still be out.
        QCOMPARE(r->ping.replyCount(), quint32(r->events.filter(QStringLiteral("reply")).size()));
        QVERIFY(r->ping.echoCount() - r->ping.replyCount() <= 1);
    }
}

void PingControlTest::stopSilencesTheControl()
{
    PingControl ping;
    Recorder recorder(ping);
    prepare(ping, QStringLiteral("127.0.0.1"), 100, 10);
    connect(&ping, &PingControl::echoRequestSent, this, [&ping] {
        ping.setEnabled(false); // stop with the reply still on its way
        ping.setResetRequest(true);
    });
    START_OR_SKIP(ping);
    QTRY_COMPARE(recorder.events.size(), 1);
    QTest::qWait(250); // longer than a wait and a pause together
    QCOMPARE(recorder.events, QStringList{"sent 1"});
    QCOMPARE(ping.echoCount(), 0u); // the reset request cleared it
    QVERIFY(!ping.isEnabled());
}

void PingControlTest::startOptionTimesTheFirstRequest_data()
{
    QTest::addColumn<bool>("startOption");
    QTest::newRow("at once") << true;
    QTest::newRow("after a pause") << false;
}

void PingControlTest::startOptionTimesTheFirstRequest()
{
    QFETCH(bool, startOption);
    PingControl ping;
    prepare(ping, QStringLiteral("127.0.0.1"), 300, 400);
    ping.setStartOption(startOption);
    QSignalSpy sent(&ping, &PingControl::echoRequestSent);
    QElapsedTimer clock;
    clock.start();
    START_OR_SKIP(ping);
    QTRY_COMPARE(sent.count(), 1);
    if (startOption)
        QVERIFY2(clock.elapsed() < 300, qPrintable(QString::number(clock.elapsed())));
    else
        QVERIFY2(clock.elapsed() >= 390, qPrintable(QString::number(clock.elapsed())));
}

void PingControlTest::unansweredAddressTimesOut()
{
    NETNS_OR_SKIP(ns, why);
    PingControl ping;
    Recorder recorder(ping);
    prepare(ping, ns.address(3), 150, 10); // nobody holds .3
    START_OR_SKIP(ping);
    QTRY_VERIFY_WITH_TIMEOUT(recorder.outcomes() >= 4, 5000);
    ping.setEnabled(false);
    QCOMPARE(
        recorder.events.mid(0, 8),
        (QStringList{"sent 1", "timeout echo=1 replies=0", "sent 2", "timeout echo=2 replies=0",
                     "sent 3", "timeout echo=3 replies=0", "sent 4", "timeout echo=4 replies=0"}));

    // The namespace's own end answers: the path itself works.
    Recorder answered(ping);
    ping.setTargetHost(ns.namespaceAddress());
    ping.setEnabled(true);
    QTRY_VERIFY(answered.outcomes() >= 1);
    ping.setEnabled(false);
    QCOMPARE(answered.events.value(1), QStringLiteral("reply seq=1 bytes=32 echo=1 replies=1"));
}

void PingControlTest::refusedSocketsFailClearly()
{
    int asked = 0;
    PingControl ping(nullptr, [&asked](int) {
        ++asked;
        errno = EPERM;
        return -1;
    });
    Recorder recorder(ping);
    prepare(ping, QStringLiteral("127.0.0.1"));
    try {
        ping.setEnabled(true);
        QFAIL("starting without ICMP permission did not fail");
    } catch (const Failure &failure) {
        QCOMPARE(failure.number(), FailureNumber::IcmpUnavailable);
        // It names the setting that allows ping without root.
        QVERIFY2(failure.description().contains(
                     QStringLiteral("sysctl -w net.ipv4.ping_group_range=\"0 2147483647\"")),
                 qPrintable(failure.description()));
        QVERIFY(failure.description().contains(QString::number(::getgid())));
    }
    QCOMPARE(asked, 2); // both kinds were tried
    QVERIFY(!ping.isEnabled());
    QCOMPARE(ping.socketKind(), PingControl::SocketKind::None);
    QTest::qWait(50);
    QCOMPARE(recorder.events, QStringList{});
}

void PingControlTest::badTargetFails()
{
    PingControl ping;
    prepare(ping, QStringLiteral("10.0.0.-1x"));
    QVERIFY_THROWS_EXCEPTION(Failure, ping.setEnabled(true));
    QVERIFY(!ping.isEnabled());
}

QObject *createPingControlTest()
{
    return new PingControlTest;
}

#include "PingControlTest.moc"
