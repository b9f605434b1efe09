#include "AssignDialogTest.h"

#include "AssignSetup.h"
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
    QCOMPARE(shown.title, QStringLiteral("Information"));
    QCOMPARE(shown.text, QStringLiteral("Assign IP successful!"));
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

    ScriptedPrompts expected;
    (addressMessage ? ShowInvalidIPAddressMessage : showWrongHardwareAddressMessage)(expected);
    QCOMPARE(s.t.prompts.messageTexts(), expected.messageTexts());
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
    QTest::addColumn<bool>("portZero");   // a port that every send is refused to
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("text"); // how the text starts
    QTest::addColumn<bool>("logged");
    QTest::newRow("address does not convert")
        << "127.0.0.-1" << false << "Error Condition" << int(PromptIcon::Critical)
        << "Failed in connecting socket\r\n5\r\n"
        << true;
    QTest::newRow("send refused") << "127.0.0.9" << true << "Winsock Error Condition"
                                  << int(PromptIcon::Exclamation) << "Could not create socket."
                                  << false;
    QTest::newRow("unresolved address")
        << "" << false << "Error Condition" << int(PromptIcon::Exclamation)
        << "Uknown Host: \r\nPlease enter new address." << false;
}

void AssignDialogTest::exchangeFailures()
{
    QFETCH(QString, address);
    QFETCH(bool, portZero);
    QFETCH(QString, text);
    AssignSetup s;
    if (address.isEmpty()) {
        reportIpSetupFailure(s.t.context, {IpSetupOutcome::Kind::UnknownHost, {}, {}});
    } else {
        if (portZero)
            s.t.context.ports.query = 0;
        s.fill(address, kHardware);
        s.click();
    }
    QCOMPARE(s.t.prompts.count(), 1);
    const auto shown = s.t.prompts.shown().first();
    QTEST(shown.title, "title");
    QTEST(int(shown.icon), "icon");
    QVERIFY2(shown.text.startsWith(text), qPrintable(shown.text));
    QTEST(s.t.readFile(QStringLiteral("ErrorLog.txt")).contains("\"set_tmx_ip in Assign IP\""),
          "logged");
    QTest::qWait(50);
    QVERIFY(s.peer.received.isEmpty());
    QVERIFY(s.idle());
}

void AssignDialogTest::pingStartFailure()
{
    AssignSetup s([](int) {
        errno = EPERM;
        return -1;
    });
    s.fill(QStringLiteral("127.0.0.9"), kHardware);
    s.click();
    QTRY_COMPARE(s.peer.received, QList<QByteArray>{datagramTo127009("09")});
    QCOMPARE(s.t.prompts.count(), 1);
    QCOMPARE(s.t.prompts.shown().first().icon, PromptIcon::Critical);
    QVERIFY(s.t.prompts.shown().first().text.startsWith(
        QStringLiteral("Failed in connecting socket\r\n%1\r\n")
            .arg(FailureNumber::IcmpUnavailable)));
    QVERIFY(
        s.t.readFile(QStringLiteral("ErrorLog.txt")).contains("\"cmdAssign_Click in Assign IP\""));
    QVERIFY(s.idle());
}
