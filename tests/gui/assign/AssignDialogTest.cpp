#include "AssignDialogTest.h"

#include "AssignSetup.h"
#include "DialogChecks.h"
#include "core/device/IpSetupExchange.h"
#include "core/support/SharedMessages.h"
#include "gui/assign/AssignMessages.h"

#include <QTest>

#include <cerrno>

namespace {

const QString kHardware = QStringLiteral("02-00-00-04-0B-0C");

QByteArray datagramTo127009(const char *lastOctet)
{
    return QByteArray::fromHex(QByteArray("000000FC49502D534554555000000B0C7F0000") + lastOctet);
}

} // namespace

void AssignDialogTest::assignSucceeds()
{
    const QString why = icmpUnavailable();
    if (!why.isEmpty())
        QSKIP(qPrintable(why));
    AssignSetup s;
    QCOMPARE(s.ip()->text(), QStringLiteral("127.0.0.9"));

    // Enter moves from box to box; the blanks go to the datagram, not the pings.
    s.ip()->setText(QStringLiteral(" 127.0.0.10 "));
    QTest::keyClick(s.ip(), Qt::Key_Return);
    QCOMPARE(s.dialog->focusWidget(), s.hardware());
    QCOMPARE(s.t.context.currentDeviceAddress, QStringLiteral("127.0.0.10"));
    QTest::keyClicks(s.hardware(), QStringLiteral("02-00-00-04-0b-0c"));
    QTest::keyClick(s.hardware(), Qt::Key_Return);
    QCOMPARE(s.dialog->focusWidget(), s.assign());
    QVERIFY(s.peer.received.isEmpty());

    s.click();
    QVERIFY(s.busy());
    QCOMPARE(s.dialog->ping().targetHost(), QStringLiteral("127.0.0.10"));
    s.dialog->close(); // closing stops the pinging
    QVERIFY(s.idle());
    s.dialog->show();
    s.click();
    s.click(); // again while pinging: sent again, the pinging starts afresh
    QTRY_COMPARE_WITH_TIMEOUT(s.t.prompts.count(), 1, 20000);
    const auto shown = s.t.prompts.shown().first();
    QCOMPARE(shown.title, kInformationTitle);
    QCOMPARE(shown.text, kAssignSucceededText);
    QVERIFY(s.idle());
    QCOMPARE(s.peer.received, QList<QByteArray>(3, datagramTo127009("0A")));
    QTest::qWait(3 * s.t.context.intervals.pingFirstMs);
    QCOMPARE(s.t.prompts.count(), 1);
}

void AssignDialogTest::inputChecks_data()
{
    QTest::addColumn<QString>("key");      // the box where Enter is pressed, or "click"
    QTest::addColumn<QString>("hardware"); // ip holds "1a.0.0.1" for an address message
    QTest::addColumn<bool>("addressMessage");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("hardwareAfter");
    const QString shortOne = QStringLiteral("02-00-00-04-0B-C");
    const QString longOne = QStringLiteral("02-00-00-04-0B-0CC");
    QTest::newRow("click, bad address") << "click" << kHardware << true << "ip" << kHardware;
    QTest::newRow("click, 16 characters") << "click" << shortOne << false << "txtHardware"
                                          << "";
    QTest::newRow("Enter, 18 characters kept")
        << "txtHardware" << longOne << false << "txtHardware" << longOne;
    QTest::newRow("Enter, bad address") << "txtHardware" << kHardware << true << "ip" << kHardware;
}

void AssignDialogTest::inputChecks()
{
    QFETCH(QString, key);
    QFETCH(QString, hardware);
    QFETCH(bool, addressMessage);
    QFETCH(QString, focus);
    AssignSetup s;
    const QString address = addressMessage ? QStringLiteral("1a.0.0.1") : s.ip()->text();
    s.fill(address, hardware);
    if (key == QLatin1String("click"))
        s.click();
    else
        QTest::keyClick(s.widget(key), Qt::Key_Return);

    QCOMPARE(said(s.t.prompts), saidBy(addressMessage ? ShowInvalidIPAddressMessage
                                                      : showWrongHardwareAddressMessage));
    QCOMPARE(s.ip()->text(), addressMessage ? QString() : address);
    QTEST(s.hardware()->text(), "hardwareAfter");
    QCOMPARE(s.dialog->focusWidget(), s.widget(focus));
    QTest::qWait(50);
    QVERIFY(s.peer.received.isEmpty());
    QVERIFY(s.idle());
}

void AssignDialogTest::exchangeFailures_data()
{
    // No address that converts fails to resolve (each is dotted), so the
    // dialog never meets that outcome: its box is shown from the outcome.
    QTest::addColumn<QString>("address"); // empty: the unresolved-address outcome
    QTest::addColumn<QString>("fault");   // "port 0": every send refused; "no ICMP"
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QByteArray>("log"); // empty: nothing logged
    QTest::addColumn<int>("sent");
    QTest::newRow("address does not convert")
        << "127.0.0.-1"
        << "" << QStringList{kErrorTitle + "|Critical|" + kFailedInConnectingLine + "\r\n5\r\n*"}
        << QByteArray("\"set_tmx_ip in Assign IP\"") << 0;
    QTest::newRow("send refused") << "127.0.0.9"
                                  << "port 0"
                                  << QStringList{"Winsock Error Condition|Exclamation|" +
                                                 kNoSocketText + "*"}
                                  << QByteArray() << 0;
    QTest::newRow("unresolved address")
        << ""
        << ""
        << QStringList{kErrorTitle + "|Exclamation|Uknown Host: \r\nPlease enter new address.*"}
        << QByteArray() << 0;
    // The datagram has gone out; the pinging that would confirm it cannot start.
    QTest::newRow("no ICMP socket") << "127.0.0.9"
                                    << "no ICMP"
                                    << QStringList{QStringLiteral("%1|Critical|%2\r\n%3\r\n*")
                                                       .arg(kErrorTitle, kFailedInConnectingLine)
                                                       .arg(FailureNumber::IcmpUnavailable)}
                                    << QByteArray("\"cmdAssign_Click in Assign IP\"") << 1;
}

void AssignDialogTest::exchangeFailures()
{
    QFETCH(QString, address);
    QFETCH(QString, fault);
    QFETCH(QStringList, messages);
    QFETCH(QByteArray, log);
    QFETCH(int, sent);
    AssignSetup s(fault != "no ICMP" ? PingControl::SocketOpener{} : [](int) {
        errno = EPERM;
        return -1;
    }, fault == "port 0");
    if (address.isEmpty()) {
        reportIpSetupFailure(s.t.context, {IpSetupOutcome::Kind::UnknownHost, {}, {}});
    } else {
        s.fill(address, kHardware);
        s.click();
    }
    QTRY_COMPARE(s.peer.received.size(), sent);
    QCOMPARE(said(s.t.prompts, messages), messages);
    const QByteArray logged = s.t.readFile(QStringLiteral("ErrorLog.txt"));
    QVERIFY2(log.isEmpty() ? logged.isEmpty() : logged.contains(log), logged.constData());
    QTest::qWait(50);
    QCOMPARE(s.peer.received, QList<QByteArray>(sent, datagramTo127009("09")));
    QVERIFY(s.idle());
}
