#include "IpSetupTest.h"

#include "LoopbackPeer.h"
#include "SimulatorFixture.h"
#include "core/device/AddressText.h"
#include "core/device/AssignConfirmation.h"
#include "core/device/DeviceProtocol.h"
#include "core/device/HostAddress.h"
#include "core/device/IpSetupExchange.h"
#include "core/device/QueryPoll.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>

namespace {

const QByteArray kHead = QByteArray::fromHex("000000FC49502D53455455500000");

QString hex(const auto &bytes)
{
    QByteArray raw;
    for (quint8 b : bytes)
        raw.append(char(b));
    return QString::fromLatin1(raw.toHex().toUpper());
}

QString reading(const AddressReading &read)
{
    return read.value ? QHostAddress(*read.value).toString() : "refused: " + read.problem;
}

// "10.1.0.127 on 10.1.0.1/25": judged with one interface t0 in that subnet.
QString addressUse(const QString &text)
{
    const QStringList words = text.split(' ');
    LocalInterface t0{"t0", 1, true, false, true, {}};
    if (words.size() == 3)
        t0.ipv4.append(
            {QHostAddress(words[2].section('/', 0, 0)), words[2].section('/', 1).toInt(), {}});
    const quint32 address = QHostAddress(words[0]).toIPv4Address();
    const QString why = judgeAddress(address, {t0}).problem(address);
    return why.isEmpty() ? "host" : "refused: " + why;
}

} // namespace

void IpSetupTest::conversions_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("input");
    // Bytes in hex, a text, "fail <number>", or "refused: " and the words a reason must hold.
    QTest::addColumn<QString>("result");
    const char *rows[][3] = {
        {"pair", "a0", "A0"},
        {"pair", "0G", "00"},
        {"pair", "G5", "05"},
        {"pair", "", "00"},
        {"pair", "7", "77"},
        {"pair", "3xyz9", "39"}, // only the first and the last character count
        {"ip", "192.168.1.50", "C0A80132"},
        {"ip", " 10.0.0.5", "0A000005"},
        {"ip", "10.0.0.256", "fail 5"},
        {"ip", "10.0.0.-1", "fail 5"},
        {"ip", "10.0.0", "fail 5"},
        {"ip", "10..0.5", "fail 13"},
        {"ip", "10.0.0.5.1", "fail 13"},
        {"ip", "1a.0.0.300", "fail 13"}, // the first bad octet decides
        {"ip", "10.0.0.0000000000000000077", "0A00004D"},
        {"ip", "+10 . 0.0.-0", "0A000000"},
        {"ip", "10.0.0.1.", "fail 13"}, // the fourth part runs to the end
        {"ip", "10.0.0.99999999999999999999", "fail 5"},
        {"ip", "10.-1.0.x", "fail 5"},
        {"ip", "", "fail 5"},
        {"broadcast", "10.1.2.3", "10.1.2.255"},
        {"broadcast", " 010.1.02.7", " 010.1.02.255"},
        {"tail", "02-00-00-14-01-18", "0118"},
        {"tail", "02-00-00-14-0b-1f", "0B1F"},
        {"tail", "020000140118", "0000"},
        {"tail", "02-00-00-14-01-1", "0111"},
        {"upper", "\u00DF2-00-00-14-0b-\uFB00", "\u00DF2-00-00-14-0B-\uFB00"}, // keeps 17
        {"plain", "198.18.0.50", "198.18.0.50"},
        {"plain", "198.18.0.050", "refused: number 4 (050) has leading zeros"},
        {"plain", "1.2.3", "refused: incomplete: 3 of 4 numbers"},
        {"plain", "1.2.3.4.5", "refused: 5 numbers"},
        {"plain", " 1.2.3.4", "refused: number 1 (\" 1\") is not a decimal"},
        {"plain", "1.2.3.256", "refused: number 4 (256) is above 255"},
        {"plain", "1.2.3.\x1b[2J", "refused: number 4 (\".[2J\")"},
        {"plain", "", "refused: empty"},
        {"typed", " 10 . 0.0.+1", "10.0.0.1"},
        {"typed", "10.0.0.-1", "refused: number 4 (-1) is negative"},
        {"typed", "10.0.0.0000000000000000077", "refused: leading zeros"},
        {"typed", "-1.0.0.300", "refused: number 4 (300) is above 255"}, // shape first
        {"typed", "240.0.0.1", "240.0.0.1"},
        {"use", "0.0.0.0", "refused: this network"},
        {"use", "127.0.0.5", "refused: loopback"},
        {"use", "224.0.0.1", "refused: multicast"},
        {"use", "240.0.0.1", "refused: reserved"},
        {"use", "255.255.255.255", "refused: broadcast to every host"},
        {"use", "198.18.0.0", "refused: network address of 198.18.0.0/24 (no interface"},
        {"use", "198.18.0.255", "refused: broadcast address of 198.18.0.0/24 (no interface"},
        {"use", "198.18.0.7", "host"},
        {"use", "10.1.255.255 on 10.1.0.1/16", "refused: broadcast address of 10.1.0.0/16 on t0"},
        {"use", "10.1.2.255 on 10.1.0.1/16", "host"},
        {"use", "10.1.0.127 on 10.1.0.1/25", "refused: broadcast address of 10.1.0.0/25 on t0"},
        {"use", "10.1.0.0 on 10.1.0.1/31", "host"},
    };
    for (const auto &row : rows)
        QTest::addRow("%s \"%s\"", row[0], row[1]) << row[0] << row[1] << row[2];
}

void IpSetupTest::conversions()
{
    QFETCH(QString, operation);
    QFETCH(QString, input);
    QFETCH(QString, result);
    QString got;
    try {
        if (operation == QLatin1String("pair"))
            got = hex(std::array<quint8, 1>{HexPairToByte(input)});
        else if (operation == QLatin1String("ip"))
            got = hex(IpTextToBytes(input));
        else if (operation == QLatin1String("broadcast"))
            got = BroadcastAddressText(input);
        else if (operation == QLatin1String("tail"))
            got = hex(HardwareAddressTail(input));
        else if (operation == QLatin1String("upper"))
            got = upperCaseHardwareText(input);
        else if (operation == QLatin1String("use"))
            got = addressUse(input);
        else
            got = reading(readAddress(input, operation == QLatin1String("plain")
                                                 ? AddressSpelling::Plain
                                                 : AddressSpelling::Typed));
    } catch (const Failure &failure) {
        got = QStringLiteral("fail %1").arg(failure.number());
    }
    if (result.startsWith(QLatin1String("refused: ")))
        QVERIFY2(got.startsWith(QLatin1String("refused: ")) && got.contains(result.mid(9)),
                 qPrintable(got));
    else
        QCOMPARE(got, result);
}

void IpSetupTest::datagram_data()
{
    QTest::addColumn<QString>("hardware");
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray bytes = QByteArray::fromHex("000000FC49502D534554555000000118C0A80132");
    QTest::newRow("02-00-00-14-01-18") << "02-00-00-14-01-18" << bytes;
    QTest::newRow("first four bytes unused") << "FF-EE-DD-CC-01-18" << bytes;
}

void IpSetupTest::datagram()
{
    QFETCH(QString, hardware);
    const auto address = IpTextToBytes(QStringLiteral("192.168.1.50"));
    QTEST(ipSetupDatagram(HardwareAddressTail(hardware), address), "bytes");
}

void IpSetupTest::resolveHostName()
{
    // Dotted texts are read as the exchange rows show; names are looked up.
    QCOMPARE(ResolveHostAddress(QStringLiteral("localhost")), htonl(INADDR_LOOPBACK));
    QCOMPARE(ResolveHostAddress(QString()), UnresolvedHost);
    QCOMPARE(ResolveHostAddress(QStringLiteral("localhost") + QChar(0) + QLatin1Char('x')),
             UnresolvedHost);
}

void IpSetupTest::exchange_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("listenAt"); // the peer waits there for the datagram
    QTest::addColumn<bool>("portZero");    // a port that every send is refused to
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("tailAndAddress"); // the datagram's last six bytes
    using K = IpSetupOutcome::Kind;
    const QString bcast = QStringLiteral("127.0.0.255");
    QTest::newRow("typed with blanks")
        << " 127.0.0.7 " << bcast << false << int(K::Sent) << QByteArray::fromHex("0B0C7F000007");
    // Decimal octets, as in the datagram: a leading zero makes no octal subnet.
    QTest::newRow("leading zeros") << "127.0.010.07" << QStringLiteral("127.0.10.255") << false
                                   << int(K::Sent) << QByteArray::fromHex("0B0C7F000A07");
    QTest::newRow("negative octet")
        << "127.0.0.-1" << bcast << false << int(K::ConversionFailed) << QByteArray();
    QTest::newRow("send refused") << "127.0.0.7" << bcast << true << int(K::SocketFailed)
                                  << QByteArray();
}

void IpSetupTest::exchange()
{
    QFETCH(QString, address);
    QFETCH(QString, listenAt);
    QFETCH(bool, portZero);
    QFETCH(QByteArray, tailAndAddress);
    LoopbackPeer peer{QHostAddress(listenAt)};
    QVERIFY(peer.bound);
    const IpSetupOutcome outcome =
        set_tmx_ip(address, QStringLiteral("02-00-00-04-0B-0C"), portZero ? 0 : peer.port());
    QTEST(int(outcome.kind), "kind");
    QCOMPARE(outcome.failure.has_value(), outcome.kind == IpSetupOutcome::Kind::ConversionFailed);
    QCOMPARE(outcome.detail.isEmpty(), outcome.kind != IpSetupOutcome::Kind::SocketFailed);
    if (tailAndAddress.isEmpty()) {
        QTest::qWait(50);
        QVERIFY(peer.received.isEmpty());
    } else {
        QTRY_COMPARE(peer.received, QList<QByteArray>{kHead + tailAndAddress});
    }
}

void IpSetupTest::noDescriptorLeftOpen()
{
    const auto open = [] {
        return QDir(QStringLiteral("/proc/self/fd"))
            .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    LoopbackPeer peer{QHostAddress(QStringLiteral("127.0.0.255"))};
    const QStringList before = open();
    const QString addresses[] = {QStringLiteral("127.0.0.7"), QStringLiteral("127.0.0.-1"),
                                 QStringLiteral("localhost")};
    for (int i = 0; i < 10; ++i) // sent, refused (port 0), not converted, by turns
        (void)set_tmx_ip(addresses[i % 3], QStringLiteral("02-00-00-04-0B-0C"),
                         i % 2 ? peer.port() : 0);
    QCOMPARE(open(), before);
    QTRY_VERIFY(!peer.received.isEmpty());
}

void IpSetupTest::confirmation_data()
{
    // R reply, T time-out, each request ending before the next; "|" is the
    // button pressed again. The verdict is the first decision and its event.
    QTest::addColumn<QString>("events");
    QTest::addColumn<QString>("verdict");
    const char *rows[][2] = {
        {"RRRR", "succeeded at 4"}, {"RTTR", "succeeded at 4"},  {"TTTT", "failed at 4"},
        {"RTTT", "failed at 4"},    {"RRTTR", "succeeded at 5"}, {"RRTTT", "failed at 5"},
        {"TTTR", "stopped at 4"},   {"TTT", "pending"},          {"TT|RRTT", "pending"},
    };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << row[0] << row[1];
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
        if (v != V::Pending) {
            const char *names[] = {"pending", "succeeded", "failed", "stopped"};
            verdict = QStringLiteral("%1 at %2").arg(QLatin1String(names[int(v)])).arg(echo);
            break;
        }
    }
    QTEST(verdict, "verdict");
}

void IpSetupTest::queryPoll_data()
{
    // Simulated devices 02-00-00-04-0B-0C and up: "at" the address, "later"
    // there (an IP-SETUP moves the device there after a few polls), "everywhere"
    // (every loopback address), or none at all.
    QTest::addColumn<QString>("devices");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("planned");
    QTest::addColumn<int>("fewestPolls");
    QTest::addColumn<QString>("problem"); // a part of it; empty: confirmed
    const QString mine = QStringLiteral("02-00-00-04-0B-0C");
    const QString other = QStringLiteral("02-00-00-04-0B-0D");
    QTest::newRow("answers at once") << "at" << 1 << mine << 1 << QString();
    QTest::newRow("after a few polls") << "later" << 1 << mine << 4 << QString();
    QTest::newRow("never") << "none" << 0 << mine << 10
                           << "no reply to the device query at 127.0.0.7";
    QTest::newRow("another hardware address")
        << "at" << 1 << other << 10 << "the device at 127.0.0.7 is " + mine + ", not " + other;
    QTest::newRow("two devices") << "everywhere" << 2 << mine << 1
                                 << "address conflict: 127.0.0.7 is answered by " + other;
    QTest::newRow("a reply cut short") << "short" << 1 << mine << 10 << ", not " + mine;
}

void IpSetupTest::queryPoll()
{
    QFETCH(QString, devices);
    QFETCH(int, count);
    QFETCH(QString, planned);
    QFETCH(int, fewestPolls);
    QFETCH(QString, problem);
    SimulatorFixture sim;
    sim.options.bindAddress = QHostAddress::AnyIPv4;
    sim.options.deviceCount = qMax(count, 1);
    if (devices != QLatin1String("everywhere"))
        sim.options.firstAddress =
            QHostAddress(devices == QLatin1String("later") ? "127.0.0.20" : "127.0.0.7");
    if (devices == QLatin1String("none"))
        sim.options.replyMode = QueryReplyMode::None;
    if (devices == QLatin1String("short"))
        sim.options.replyMode = QueryReplyMode::Short;
    QVERIFY(sim.start());
    if (devices == QLatin1String("later"))
        QTimer::singleShot(100, [&sim] {
            (void)set_tmx_ip(QStringLiteral("127.0.0.7"), QStringLiteral("02-00-00-04-0B-0C"),
                             sim.queryPort());
        });

    QueryPoll poll({sim.queryPort(), 30, 600});
    QSignalSpy finished(&poll, &QueryPoll::finished);
    poll.start(QStringLiteral("127.0.0.7"), planned);
    QVERIFY(finished.wait(2000));
    QCOMPARE(finished.size(), 1);
    QCOMPARE(poll.confirmed(), problem.isEmpty());
    QVERIFY2(poll.problem().contains(problem), qPrintable(poll.problem()));
    QVERIFY2(poll.polls() >= fewestPolls, qPrintable(QString::number(poll.polls())));
    // Answered at once, it ends after one interval more, not at the time-out.
    if (fewestPolls == 1)
        QVERIFY2(poll.polls() <= 3, qPrintable(QString::number(poll.polls())));
    QCOMPARE(poll.holders().size(), devices == QLatin1String("none") ? 0 : count);
}
