#include "IpSetupTest.h"

#include "LoopbackPeer.h"
#include "core/device/AddressText.h"
#include "core/device/AssignConfirmation.h"
#include "core/device/DeviceProtocol.h"
#include "core/device/IpSetupExchange.h"
#include "core/support/Failure.h"

#include <QDir>
#include <QTest>

#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QString hex(const auto &bytes)
{
    QByteArray raw;
    for (quint8 b : bytes)
        raw.append(char(b));
    return QString::fromLatin1(raw.toHex().toUpper());
}

// One conversion by name, its result as text: bytes in hex, or "fail <number>".
QString convert(const QString &operation, const QString &input)
{
    try {
        if (operation == QLatin1String("pair"))
            return hex(std::array<quint8, 1>{HexPairToByte(input)});
        if (operation == QLatin1String("ip"))
            return hex(IpTextToBytes(input));
        if (operation == QLatin1String("broadcast"))
            return BroadcastAddressText(input);
        return hex(HardwareAddressTail(input));
    } catch (const Failure &failure) {
        return QStringLiteral("fail %1").arg(failure.number());
    }
}

// While it lives, this process cannot open another descriptor.
class NoFreeDescriptor {
public:
    NoFreeDescriptor()
    {
        getrlimit(RLIMIT_NOFILE, &m_saved);
        const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        ::close(lowestFree);
        rlimit limit = m_saved;
        limit.rlim_cur = rlim_t(lowestFree);
        m_active = lowestFree >= 0 && setrlimit(RLIMIT_NOFILE, &limit) == 0;
    }
    ~NoFreeDescriptor() { setrlimit(RLIMIT_NOFILE, &m_saved); }
    bool active() const { return m_active; }

private:
    rlimit m_saved{};
    bool m_active = false;
};

QStringList openDescriptors()
{
    return QDir(QStringLiteral("/proc/self/fd"))
        .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

void IpSetupTest::conversions_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("result");
    const auto row = [](const char *operation, const QString &input, const char *result) {
        QTest::addRow("%s \"%s\"", operation, qPrintable(input))
            << QString::fromLatin1(operation) << input << QString::fromLatin1(result);
    };
    row("pair", "a0", "A0");
    row("pair", "FF", "FF");
    row("pair", "0G", "00");
    row("pair", "G5", "05");
    row("pair", "", "00");
    row("pair", "7", "77");
    row("pair", "3xyz9", "39");                   // only the first and the last character count
    row("pair", QStringLiteral("\u0661f"), "0F"); // a digit of another script is no digit
    row("ip", "192.168.1.50", "C0A80132");
    row("ip", " 10.0.0.5", "0A000005");
    row("ip", "10 . 0.+0.5 ", "0A000005");
    row("ip", "10.0.0.256", "fail 5");
    row("ip", "10.0.0.-1", "fail 5");
    row("ip", "10.0.0", "fail 5");
    row("ip", "", "fail 5");
    row("ip", "10..0.5", "fail 13");
    row("ip", "10.0.0.", "fail 13");
    row("ip", "10.0.0.5.1", "fail 13");
    row("ip", "1a.0.0.300", "fail 13"); // the first bad octet decides
    row("broadcast", "10.1.2.3", "10.1.2.255");
    row("broadcast", "10.1.2.255", "10.1.2.255");
    row("broadcast", " 010.1.02.7", " 010.1.02.255");
    row("broadcast", "10.1", "255");
    row("tail", "02-00-00-14-01-18", "0118");
    row("tail", "02-00-00-14-0b-1f", "0B1F");
    row("tail", "020000140118", "0000");
    row("tail", "02-00-00-14-0", "0000");
    row("tail", "02-00-00-14-01-1", "0111");
    row("tail", "zz-zz-zz-zz-zz-zz", "0000");
}

void IpSetupTest::conversions()
{
    QFETCH(QString, operation);
    QFETCH(QString, input);
    QTEST(convert(operation, input), "result");
}

void IpSetupTest::datagram_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("hardware");
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray head = QByteArray::fromHex("000000FC49502D53455455500000");
    QTest::newRow("192.168.1.50") << "192.168.1.50"
                                  << "02-00-00-14-01-18"
                                  << QByteArray::fromHex(
                                         "000000FC49502D534554555000000118C0A80132");
    QTest::newRow("first four hardware bytes unused")
        << "192.168.1.50"
        << "FF-EE-DD-CC-01-18" << head + QByteArray::fromHex("0118C0A80132");
    QTest::newRow("last octet 255")
        << "10.0.0.255"
        << "02-00-00-04-0B-0C" << head + QByteArray::fromHex("0B0C0A0000FF");
}

void IpSetupTest::datagram()
{
    QFETCH(QString, address);
    QFETCH(QString, hardware);
    const QByteArray bytes = ipSetupDatagram(HardwareAddressTail(hardware), IpTextToBytes(address));
    QCOMPARE(bytes.size(), DeviceProtocol::IpSetupSize);
    QTEST(bytes, "bytes");
}

void IpSetupTest::resolve_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("address"); // empty: unresolved
    QTest::newRow("dotted") << "192.168.1.255"
                            << "192.168.1.255";
    QTest::newRow("blanks") << " 10.0.0.255 "
                            << "10.0.0.255";
    // Octets read as decimal, as the datagram's own bytes are: a leading zero
    // does not make a different (octal) subnet.
    QTest::newRow("leading zeros") << "192.168.010.255"
                                   << "192.168.10.255";
    QTest::newRow("host name") << "localhost"
                               << "127.0.0.1";
    QTest::newRow("all ones") << "255.255.255.255" << QString();
    QTest::newRow("empty") << "" << QString();
    QTest::newRow("NUL inside") << QStringLiteral("localhost") + QChar(0) + QStringLiteral("x")
                                << QString();
}

void IpSetupTest::resolve()
{
    QFETCH(QString, text);
    QFETCH(QString, address);
    const quint32 resolved = ResolveHostAddress(text);
    if (address.isEmpty())
        QCOMPARE(resolved, UnresolvedHost);
    else
        QCOMPARE(QHostAddress(ntohl(resolved)), QHostAddress(address));
}

void IpSetupTest::exchange_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("listenAt");  // where the peer waits for the datagram
    QTest::addColumn<bool>("portZero");     // a port no datagram may be sent to
    QTest::addColumn<bool>("noDescriptor"); // no socket can be made
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("failure");
    QTest::addColumn<QByteArray>("tailAndAddress"); // the datagram's last six bytes
    using K = IpSetupOutcome::Kind;
    QTest::newRow("sent to x.y.z.255") << "127.0.0.7"
                                       << "127.0.0.255" << false << false << int(K::Sent) << 0
                                       << QByteArray::fromHex("0B0C7F000007");
    QTest::newRow("typed with blanks") << " 127.0.0.7 "
                                       << "127.0.0.255" << false << false << int(K::Sent) << 0
                                       << QByteArray::fromHex("0B0C7F000007");
    QTest::newRow("leading zeros") << "127.0.010.07"
                                   << "127.0.10.255" << false << false << int(K::Sent) << 0
                                   << QByteArray::fromHex("0B0C7F000A07");
    QTest::newRow("negative octet") << "127.0.0.-1"
                                    << "127.0.0.255" << false << false << int(K::ConversionFailed)
                                    << FailureNumber::InvalidArgument << QByteArray();
    QTest::newRow("not a number") << "127.0.0.x"
                                  << "127.0.0.255" << false << false << int(K::ConversionFailed)
                                  << FailureNumber::TypeMismatch << QByteArray();
    QTest::newRow("send refused") << "127.0.0.7"
                                  << "127.0.0.255" << true << false << int(K::SocketFailed) << 0
                                  << QByteArray();
    QTest::newRow("no socket") << "127.0.0.7"
                               << "127.0.0.255" << false << true << int(K::SocketFailed) << 0
                               << QByteArray();
}

void IpSetupTest::exchange()
{
    QFETCH(QString, address);
    QFETCH(QString, listenAt);
    QFETCH(bool, portZero);
    QFETCH(bool, noDescriptor);
    QFETCH(QByteArray, tailAndAddress);

    LoopbackPeer peer{QHostAddress(listenAt)};
    QVERIFY(peer.bound);
    const quint16 port = portZero ? 0 : peer.port();
    const QString hardware = QStringLiteral("02-00-00-04-0B-0C");
    IpSetupOutcome outcome;
    if (noDescriptor) {
        NoFreeDescriptor limit;
        if (!limit.active())
            QSKIP("the descriptor limit cannot be lowered here");
        outcome = set_tmx_ip(address, hardware, port);
    } else {
        outcome = set_tmx_ip(address, hardware, port);
    }

    QTEST(int(outcome.kind), "kind");
    QTEST(outcome.failure ? outcome.failure->number() : 0, "failure");
    QCOMPARE(outcome.detail.isEmpty(), outcome.kind != IpSetupOutcome::Kind::SocketFailed);
    if (tailAndAddress.isEmpty()) {
        QTest::qWait(50);
        QVERIFY(peer.received.isEmpty());
    } else {
        QTRY_COMPARE(peer.received.size(), 1);
        QCOMPARE(peer.received.first(),
                 QByteArray::fromHex("000000FC49502D53455455500000") + tailAndAddress);
    }
}

void IpSetupTest::noDescriptorLeftOpen()
{
    LoopbackPeer peer(QHostAddress(QStringLiteral("127.0.0.255")));
    QVERIFY(peer.bound);
    const QStringList before = openDescriptors();
    const QString addresses[] = {QStringLiteral("127.0.0.7"), QStringLiteral("127.0.0.-1"),
                                 QStringLiteral("x.0.0.1"), QStringLiteral("127.0.0")};
    for (int i = 0; i < 10; ++i) {
        // Sent, conversion failures, and refused sends (port 0) by turns.
        const quint16 port = i % 3 == 2 ? 0 : peer.port();
        (void)set_tmx_ip(addresses[i % 4], QStringLiteral("02-00-00-04-0B-0C"), port);
        (void)ResolveHostAddress(QStringLiteral("localhost"));
    }
    QCOMPARE(openDescriptors(), before);
    QTRY_VERIFY(!peer.received.isEmpty());
}

void IpSetupTest::confirmation_data()
{
    // R reply, T time-out, each request answered or timed out before the next;
    // "|" is the button pressed again (a fresh start).
    QTest::addColumn<QString>("events");
    QTest::addColumn<QString>("verdict"); // the first decision and its event
    QTest::newRow("R R R R") << "RRRR"
                             << "succeeded at 4";
    QTest::newRow("R T T R") << "RTTR"
                             << "succeeded at 4";
    QTest::newRow("T T T T") << "TTTT"
                             << "failed at 4";
    QTest::newRow("R T T T") << "RTTT"
                             << "failed at 4";
    QTest::newRow("R R T T, R") << "RRTTR"
                                << "succeeded at 5";
    QTest::newRow("R R T T, T") << "RRTTT"
                                << "failed at 5";
    QTest::newRow("T T T R") << "TTTR"
                             << "stopped at 4";
    QTest::newRow("three events") << "TTT"
                                  << "pending";
    QTest::newRow("time-outs count afresh") << "TT|RRTT"
                                            << "pending";
}

void IpSetupTest::confirmation()
{
    QFETCH(QString, events);
    using V = AssignConfirmation::Verdict;
    AssignConfirmation rule;
    rule.start();
    quint32 echo = 0;
    quint32 replies = 0;
    QString verdict = QStringLiteral("pending");
    for (const QChar event : events) {
        if (event == QLatin1Char('|')) {
            rule.start();
            echo = replies = 0;
            continue;
        }
        ++echo;
        const V v = event == QLatin1Char('R') ? rule.replyReceived(echo, ++replies)
                                              : rule.replyTimedOut(echo);
        if (v == V::Pending)
            continue;
        const char *names[] = {"pending", "succeeded", "failed", "stopped"};
        verdict = QStringLiteral("%1 at %2").arg(QLatin1String(names[int(v)])).arg(echo);
        break;
    }
    QTEST(verdict, "verdict");
}
