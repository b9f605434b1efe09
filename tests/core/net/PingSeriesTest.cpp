#include "core/net/PingSeries.h"

#include <QtTest>

#include <netinet/in.h>
#include <sys/socket.h>

namespace {
// A socket the control can bind and start on. No event loop runs while the
// series runs, so nothing is sent: only the events the test raises arrive.
int quietSocket(int)
{
    return ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_UDP);
}

// What each event of the control adds to the report; '|' is a new start.
const QHash<QChar, QString> kLines{
    {'R', " Reply received: bytes= 32, ICMP seq= 1, time= 10ms\n"},
    {'L', " Reply received: bytes= 0, ICMP seq= 65535, time= 4294967295ms\n"},
    {'T', "ICMP Request timed out\n"},
    {'E', "error 5 Busy\n"},
    {'|', "\n Pinging 127.0.0.1 with 32 bytes of data:\n\n"}};
} // namespace

class PingSeriesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void stopsAtEitherLimit_data();
    void stopsAtEitherLimit();
};

void PingSeriesTest::stopsAtEitherLimit_data()
{
    QTest::addColumn<int>("replyLimit");
    QTest::addColumn<int>("timeoutLimit");
    QTest::addColumn<QString>("events");
    QTest::addColumn<QString>("end"); // "answered", "unanswered" or "" (still running)
    QTest::newRow("four replies") << 4 << 4 << "RRRR"
                                  << "answered";
    QTest::newRow("four time-outs") << 4 << 4 << "TTTT"
                                    << "unanswered";
    QTest::newRow("counted apart: fourth reply") << 4 << 4 << "RTRTRTR"
                                                 << "answered";
    QTest::newRow("counted apart: fourth time-out") << 4 << 4 << "TRTRTRT"
                                                    << "unanswered";
    QTest::newRow("errors only forwarded") << 4 << 4 << "ERETETELR"
                                           << "";
    QTest::newRow("a new start counts afresh") << 4 << 4 << "TTT|TTT"
                                               << "";
    QTest::newRow("one reply is enough") << 1 << 2 << "TR"
                                         << "answered";
    QTest::newRow("two time-outs") << 1 << 2 << "TT"
                                   << "unanswered";
    QTest::newRow("limits below one count as one") << 0 << -3 << "T"
                                                   << "unanswered";
}

// The report's lines, the stop and its verdict, from the control's events.
void PingSeriesTest::stopsAtEitherLimit()
{
    QFETCH(int, replyLimit);
    QFETCH(int, timeoutLimit);
    QFETCH(QString, events);
    QFETCH(QString, end);
    PingSeries series({32, 60000, 60000}, nullptr, quietSocket);
    QString report;
    connect(&series, &PingSeries::reported, this, [&](const QString &text) { report += text; });
    connect(&series, &PingSeries::error, this, [&](quint16 code, const QString &text) {
        report += QStringLiteral("error %1 %2\n").arg(code).arg(text);
    });
    connect(&series, &PingSeries::finished, this,
            [&](bool answered) { report += answered ? "answered" : "unanswered"; });
    QString expected;
    PingControl &control = series.control();
    for (const QChar event : QLatin1Char('|') + events) {
        expected += kLines.value(event);
        if (event == '|')
            series.start(QStringLiteral(" 127.0.0.1 "), replyLimit, timeoutLimit);
        else if (event == 'T')
            Q_EMIT control.replyTimedOut();
        else if (event == 'E')
            Q_EMIT control.error(5, QStringLiteral("Busy"));
        else if (event == 'L')
            Q_EMIT control.replyReceived(65535, 0, 4294967295U);
        else
            Q_EMIT control.replyReceived(1, 32, 10);
    }
    QCOMPARE(report, expected + end);
    QCOMPARE(series.isRunning(), end.isEmpty());
    QCOMPARE(control.isEnabled(), end.isEmpty());
    QCOMPARE(series.timeouts(), int(events.section('|', -1).count('T')));
}

QObject *createPingSeriesTest()
{
    return new PingSeriesTest;
}

#include "PingSeriesTest.moc"
