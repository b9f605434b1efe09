#include "TestToolDialogs.h"

#include "DialogChecks.h"
#include "IcmpAvailable.h"
#include "NetnsFixture.h"
#include "TestContext.h"
#include "core/net/PingControl.h"
#include "core/support/Failure.h"
#include "core/support/SharedMessages.h"
#include "gui/ping/PingDeviceDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

namespace {

// A shown Ping Device dialog on a test context.
struct PingRun {
    explicit PingRun(const QString &address, int waitMs = 1000, int pauseMs = 100)
    {
        t.context.intervals.pingFirstMs = waitMs;
        t.context.intervals.pingSecondMs = pauseMs;
        t.context.currentDeviceAddress = address;
        dialog = new PingDeviceDialog(t.context);
        dialog->show();
        ping = &dialog->ping();
        results = dialog->findChild<QPlainTextEdit *>(QStringLiteral("txtReplyStatus"));
        status = dialog->findChild<QLabel *>(QStringLiteral("lblStatus"));
        address_ = dialog->findChild<QLineEdit *>(QStringLiteral("txtIPAddress"));
    }
    ~PingRun() { delete dialog.data(); }

    QString text() const { return results->toPlainText(); }
    bool busy() const { return dialog->cursor().shape() == Qt::WaitCursor; }
    bool idle() const { return !ping->isEnabled() && !busy(); }
    void click(const char *name) const
    {
        QTest::mouseClick(dialog->findChild<QPushButton *>(QString::fromLatin1(name)),
                          Qt::LeftButton);
    }
    // The lines below the last header as R (reply) and T (time-out).
    QString outcomes() const
    {
        QString seen;
        for (const QString &line : text().split(QStringLiteral("data:\n\n")).last().split('\n'))
            if (!line.isEmpty())
                seen += line == QLatin1String("ICMP Request timed out") ? 'T' : 'R';
        return seen;
    }

    TestContext t;
    QPointer<PingDeviceDialog> dialog;
    PingControl *ping = nullptr;
    QPlainTextEdit *results = nullptr;
    QLabel *status = nullptr;
    QLineEdit *address_ = nullptr;
};

QString header(const char *address)
{
    return QStringLiteral("\n Pinging %1 with 32 bytes of data:\n\n").arg(QLatin1String(address));
}

} // namespace

void TestToolDialogs::pingLinesFromControlEvents_data()
{
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("logged");
    QTest::newRow("time-out, error, reply")
        << QStringList{"timeout", "error 5 Busy", "reply 2 32 1"}
        << "ICMP Request timed out\n Reply received: bytes= 32, ICMP seq= 2, time= 1ms\n"
        << ",\"Ping error 5'Busy'\",0,\"\"\r\n";
    QTest::newRow("keys that type nothing")
        << QStringList{"reply 1 32 10", "keys"}
        << " Reply received: bytes= 32, ICMP seq= 1, time= 10ms\n"
        << "";
}

// Each event of the ping control appends its line (the series words them);
// errors only reach the log.
void TestToolDialogs::pingLinesFromControlEvents()
{
    QFETCH(QStringList, events);
    QFETCH(QString, text);
    QFETCH(QString, logged);
    PingRun run(QStringLiteral("127.0.0.1"));
    for (const QString &event : events) {
        const QStringList f = event.split(QLatin1Char(' '));
        if (f[0] == QLatin1String("reply"))
            Q_EMIT run.ping->replyReceived(quint16(f[1].toUInt()), quint16(f[2].toUInt()),
                                           f[3].toUInt());
        else if (f[0] == QLatin1String("keys"))
            for (const Qt::Key key : {Qt::Key_Shift, Qt::Key_Left, Qt::Key_End, Qt::Key_Tab})
                QTest::keyClick(run.address_, key);
        else if (f[0] == QLatin1String("timeout"))
            Q_EMIT run.ping->replyTimedOut();
        else
            Q_EMIT run.ping->error(quint16(f[1].toUInt()), f[2]);
    }
    QCOMPARE(run.text(), text);
    const QByteArray log = run.t.readFile(QStringLiteral("ErrorLog.txt"));
    QVERIFY2(logged.isEmpty() ? log.isEmpty() : log.endsWith(logged.toUtf8()), log.constData());
    QCOMPARE(run.t.prompts.count(), 0);
}

// An address that passes the check but names no host: the trap reports it and
// the dialog is idle again, the header already written. A key that changes
// the address then empties the results.
void TestToolDialogs::pingStartFailureThenKeyEmpties()
{
    PingRun run(QStringLiteral("10.-1.0.1"));
    run.click("cmdPing");
    QCOMPARE(run.text(), header("10.-1.0.1"));
    const QStringList trap{QStringLiteral("%1|Critical|%2\r\n%3\r\n*")
                               .arg(kErrorTitle, kFailedInConnectingLine)
                               .arg(FailureNumber::InvalidAddress)};
    QCOMPARE(said(run.t.prompts, trap), trap);
    QVERIFY(run.t.readFile(QStringLiteral("ErrorLog.txt"))
                .contains(",\"cmdPing_Click in Ping Device\","));
    QVERIFY(run.idle());
    QVERIFY(run.status->isEnabled());

    QTest::keyClick(run.address_, Qt::Key_Backspace);
    QCOMPARE(run.text(), QString());
    QVERIFY(!run.status->isEnabled());
}

// Four replies end the run. A second Ping appends a new header; Clear Status
// in the middle of it empties the box but the run goes on to its fourth reply.
void TestToolDialogs::pingLoopbackFourReplies()
{
    if (const QString why = icmpUnavailable(); !why.isEmpty())
        QSKIP(qPrintable(why));
    PingRun run(QStringLiteral("127.0.0.1"), 1000, 300);
    run.address_->setText(QStringLiteral(" 127.0.0.1 "));
    run.click("cmdPing");
    QVERIFY(run.busy() && run.status->isEnabled());
    QCOMPARE(run.t.context.currentDeviceAddress, QStringLiteral("127.0.0.1"));
    QTRY_VERIFY_WITH_TIMEOUT(run.idle(), 20000);
    QString expected = header("127.0.0.1");
    for (int sequence = 1; sequence <= 4; ++sequence)
        expected +=
            QStringLiteral(" Reply received: bytes= 32, ICMP seq= %1, time= Nms\n").arg(sequence);
    QCOMPARE(QString(run.text())
                 .replace(QRegularExpression(QStringLiteral("time= \\d+ms")),
                          QStringLiteral("time= Nms")),
             expected);
    const QString firstRun = run.text();
    QTest::qWait(1000);
    QCOMPARE(run.text(), firstRun);

    int replies = 0;
    connect(run.ping, &PingControl::replyReceived, this, [&] {
        if (++replies == 1)
            run.click("cmdClearDisplay");
    });
    run.click("cmdPing");
    QCOMPARE(run.text(), firstRun + header("127.0.0.1"));
    QTRY_COMPARE(replies, 1);
    QCOMPARE(run.text(), QString());
    QVERIFY(!run.status->isEnabled() && run.ping->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(run.idle(), 20000);
    QCOMPARE(replies, 4);
    QCOMPARE(run.outcomes(), QStringLiteral("RRR"));
    QCOMPARE(run.t.prompts.count(), 0);
}

// In a namespace of the test's own: an address nobody holds gives four
// time-outs and the dialog is idle again, with no box.
void TestToolDialogs::pingSilentAddressTimesOut()
{
    NETNS_OR_SKIP(ns, why);
    PingRun silent(ns.address(3), 200, 50);
    silent.click("cmdPing");
    QTRY_VERIFY_WITH_TIMEOUT(silent.idle(), 20000);
    QTest::qWait(500);
    QCOMPARE(silent.outcomes(), QStringLiteral("TTTT"));
    QCOMPARE(silent.t.prompts.count(), 0);
}
