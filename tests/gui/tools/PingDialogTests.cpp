#include "TestToolDialogs.h"

#include "NetnsFixture.h"
#include "TestContext.h"
#include "core/net/PingControl.h"
#include "core/support/Failure.h"
#include "gui/ping/PingDeviceDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QStringList kHeader127 = {"", " Pinging 127.0.0.1 with 32 bytes of data:", ""};
const QString kTimeoutLine = QStringLiteral("ICMP Request timed out");

// A shown Ping Device dialog on a test context.
struct PingRun {
    explicit PingRun(const QString &address, int waitMs = 1000, int pauseMs = 100)
    {
        t.context.intervals.pingFirstMs = waitMs;
        t.context.intervals.pingSecondMs = pauseMs;
        t.context.currentDeviceAddress = address;
        dialog = new PingDeviceDialog(t.context);
        dialog->show();
    }
    ~PingRun() { delete dialog.data(); }

    template <typename T> T *find(const char *name) const
    {
        return dialog->findChild<T *>(QString::fromLatin1(name));
    }
    QString text() const { return find<QPlainTextEdit>("txtReplyStatus")->toPlainText(); }
    QStringList lines() const { return text().split(QLatin1Char('\n')); }
    bool statusEnabled() const { return find<QLabel>("lblStatus")->isEnabled(); }
    bool busy() const { return dialog->cursor().shape() == Qt::WaitCursor; }
    bool idle() const { return !dialog->ping().isEnabled() && !busy(); }
    void click(const char *name) const
    {
        QTest::mouseClick(find<QPushButton>(name), Qt::LeftButton);
    }
    // The reply and time-out lines below the header, as R and T.
    QString outcomes() const
    {
        QString seen;
        for (const QString &line : lines().mid(3))
            if (!line.isEmpty())
                seen += line == kTimeoutLine ? QLatin1Char('T') : QLatin1Char('R');
        return seen;
    }

    TestContext t;
    QPointer<PingDeviceDialog> dialog;
};

bool canOpenIcmpSocket()
{
    for (int type : {SOCK_DGRAM, SOCK_RAW}) {
        const int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, IPPROTO_ICMP);
        if (fd >= 0) {
            ::close(fd);
            return true;
        }
    }
    return false;
}

void verifyReplyLines(const QStringList &lines)
{
    static const QRegularExpression reply(
        QStringLiteral("^ Reply received: bytes= 32, ICMP seq= (\\d), time= \\d+ms$"));
    for (int i = 0; i < lines.size(); ++i) {
        const QRegularExpressionMatch match = reply.match(lines[i]);
        QVERIFY2(match.hasMatch(), qPrintable(lines[i]));
        QCOMPARE(match.captured(1).toInt(), i + 1);
    }
}

} // namespace

void TestToolDialogs::pingLinesFromControlEvents_data()
{
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("logged");
    QTest::newRow("reply") << QStringList{"reply 1 32 10"}
                           << " Reply received: bytes= 32, ICMP seq= 1, time= 10ms\n"
                           << "";
    QTest::newRow("zeros") << QStringList{"reply 0 0 0"}
                           << " Reply received: bytes= 0, ICMP seq= 0, time= 0ms\n"
                           << "";
    QTest::newRow("largest values")
        << QStringList{"reply 65535 65535 4294967295"}
        << " Reply received: bytes= 65535, ICMP seq= 65535, time= 4294967295ms\n"
        << "";
    QTest::newRow("time-out") << QStringList{"timeout"} << "ICMP Request timed out\n"
                              << "";
    QTest::newRow("error only logged")
        << QStringList{"timeout", "error 5 Busy", "reply 2 32 1"}
        << "ICMP Request timed out\n Reply received: bytes= 32, ICMP seq= 2, time= 1ms\n"
        << ",\"Ping error 5'Busy'\",0,\"\"\r\n";
    QTest::newRow("error text as given") << QStringList{"error 65535 it's \"bad\""} << ""
                                         << ",\"Ping error 65535'it's \"bad\"'\",0,\"\"\r\n";
}

// Each event of the ping control appends its line; errors only reach the log.
void TestToolDialogs::pingLinesFromControlEvents()
{
    QFETCH(QStringList, events);
    QFETCH(QString, text);
    QFETCH(QString, logged);
    PingRun run(QStringLiteral("127.0.0.1"));
    PingControl &ping = run.dialog->ping();
    for (const QString &event : events) {
        const QStringList f = event.split(QLatin1Char(' '));
        if (f[0] == QLatin1String("reply"))
            Q_EMIT ping.replyReceived(quint16(f[1].toUInt()), quint16(f[2].toUInt()),
                                      f[3].toUInt());
        else if (f[0] == QLatin1String("timeout"))
            Q_EMIT ping.replyTimedOut();
        else
            Q_EMIT ping.error(quint16(f[1].toUInt()), f.mid(2).join(QLatin1Char(' ')));
    }
    QCOMPARE(run.text(), text);
    const QByteArray log = run.t.readFile(QStringLiteral("ErrorLog.txt"));
    if (logged.isEmpty())
        QCOMPARE(log, QByteArray());
    else
        QVERIFY2(log.endsWith(logged.toUtf8()) && log.count('\n') == 1, log.constData());
    QCOMPARE(run.t.prompts.count(), 0);
}

// An address that passes the check but names no host: the trap reports it and
// the dialog is idle again, with the header already written.
void TestToolDialogs::pingStartFailureThenKeyEmpties()
{
    PingRun run(QStringLiteral("10.-1.0.1"));
    run.click("cmdPing");
    QCOMPARE(run.lines(), (QStringList{"", " Pinging 10.-1.0.1 with 32 bytes of data:", "", ""}));
    QCOMPARE(run.t.prompts.count(), 1);
    const auto shown = run.t.prompts.shown().first();
    QCOMPARE(shown.title, QStringLiteral("Error Condition"));
    QCOMPARE(shown.icon, PromptIcon::Critical);
    QVERIFY2(shown.text.startsWith(QStringLiteral("Failed in connecting socket\r\n%1\r\n")
                                       .arg(FailureNumber::InvalidAddress)),
             qPrintable(shown.text));
    QVERIFY(run.t.readFile(QStringLiteral("ErrorLog.txt"))
                .contains(",\"cmdPing_Click in Ping Device\","));
    QVERIFY(run.idle());
    QVERIFY(run.statusEnabled());

    QTest::keyClick(run.find<QLineEdit>("txtIPAddress"), Qt::Key_End);
    QCOMPARE(run.text(), QString());
    QVERIFY(!run.statusEnabled());
}

void TestToolDialogs::pingLoopbackFourReplies()
{
    if (!canOpenIcmpSocket())
        QSKIP("no ICMP socket: needs net.ipv4.ping_group_range or CAP_NET_RAW");
    PingRun run(QStringLiteral("127.0.0.1"), 1000, 300);
    run.find<QLineEdit>("txtIPAddress")->setText(QStringLiteral(" 127.0.0.1 "));
    run.click("cmdPing");
    QVERIFY(run.busy());
    QVERIFY(run.statusEnabled());
    QCOMPARE(run.t.context.currentDeviceAddress, QStringLiteral("127.0.0.1"));
    QTRY_VERIFY_WITH_TIMEOUT(run.idle(), 20000);
    QCOMPARE(run.lines().mid(0, 3), kHeader127);
    QCOMPARE(run.lines().size(), 3 + 4 + 1);
    verifyReplyLines(run.lines().mid(3, 4));
    const QString firstRun = run.text();
    QTest::qWait(1500);
    QCOMPARE(run.text(), firstRun);

    // A second Ping appends a new header; Clear Status in the middle of the
    // run empties the box but the run goes on to its fourth reply.
    int replies = 0;
    connect(&run.dialog->ping(), &PingControl::replyReceived, this, [&] {
        if (++replies == 1)
            run.click("cmdClearDisplay");
    });
    run.click("cmdPing");
    QCOMPARE(run.text(),
             firstRun + QStringLiteral("\n Pinging 127.0.0.1 with 32 bytes of data:\n\n"));
    QTRY_COMPARE(replies, 1);
    QCOMPARE(run.text(), QString());
    QVERIFY(!run.statusEnabled());
    QCOMPARE(run.dialog->focusWidget(), run.find<QLineEdit>("txtIPAddress"));
    QVERIFY(run.dialog->ping().isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(run.idle(), 20000);
    QCOMPARE(replies, 4);
    QCOMPARE(run.lines().size(), 3 + 1);
    QCOMPARE(run.t.prompts.count(), 0);
}

void TestToolDialogs::pingSilentAddressFourTimeouts()
{
    NetnsFixture ns;
    QString why;
    if (!ns.setUp(&why))
        QSKIP(qPrintable(why));
    PingRun run(ns.address(3), 200, 50); // nobody holds .3
    run.click("cmdPing");
    QTRY_VERIFY_WITH_TIMEOUT(run.idle(), 20000);
    QCOMPARE(run.lines().mid(3),
             (QStringList{kTimeoutLine, kTimeoutLine, kTimeoutLine, kTimeoutLine, ""}));
    QTest::qWait(500);
    QCOMPARE(run.outcomes(), QStringLiteral("TTTT"));
    QCOMPARE(run.t.prompts.count(), 0);
}

// The namespace answers every other request: pinging goes on until the fourth
// reply, seven lines in all.
void TestToolDialogs::pingAlternatingUntilFourthReply()
{
    NetnsFixture ns;
    QString why;
    if (!ns.setUp(&why))
        QSKIP(qPrintable(why));
    const auto ignoreEchoes = [&ns](bool ignore) {
        return ns.runInside({QStringLiteral("sysctl"), QStringLiteral("-qw"),
                             QStringLiteral("net.ipv4.icmp_echo_ignore_all=%1").arg(int(ignore))});
    };
    if (ignoreEchoes(false) != 0)
        QSKIP("sysctl cannot be run inside the test namespace");
    PingRun run(ns.namespaceAddress(), 1000, 50);
    // Runs after the dialog's own handler, before the next request goes out.
    connect(&run.dialog->ping(), &PingControl::replyReceived, this, [&] { ignoreEchoes(true); });
    connect(&run.dialog->ping(), &PingControl::replyTimedOut, this, [&] { ignoreEchoes(false); });
    run.click("cmdPing");
    QTRY_VERIFY_WITH_TIMEOUT(run.idle(), 30000);
    QTest::qWait(300);
    QCOMPARE(run.outcomes(), QStringLiteral("RTRTRTR"));
}
