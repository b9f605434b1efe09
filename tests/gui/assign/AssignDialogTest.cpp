#include "AssignDialogTest.h"

#include "AssignSetup.h"
#include "core/device/IpSetupExchange.h"
#include "core/support/SharedMessages.h"
#include "gui/assign/AssignMessages.h"

#include <QGroupBox>
#include <QLabel>
#include <QTest>

#include <cerrno>

namespace {

const QString kHardware = QStringLiteral("02-00-00-04-0B-0C");

// The one message that a shared message function shows.
ScriptedPrompts::Shown shownBy(void (*show)(Prompts &))
{
    ScriptedPrompts prompts;
    show(prompts);
    return prompts.shown().first();
}

QByteArray datagramFor(const char *tailAndAddress)
{
    return QByteArray::fromHex("000000FC49502D53455455500000") +
           QByteArray::fromHex(tailAndAddress);
}

} // namespace

void AssignDialogTest::assignSucceeds()
{
    const QString why = icmpUnavailable();
    if (!why.isEmpty())
        QSKIP(qPrintable(why));
    AssignSetup s;
    QCOMPARE(s.dialog->objectName(), QStringLiteral("frmAssignIP"));
    QCOMPARE(s.dialog->windowTitle(), QStringLiteral("Assign IP Address"));
    QCOMPARE(s.dialog->findChild<QGroupBox *>(QStringLiteral("fraSetip"))->title(),
             QStringLiteral("Target"));
    QCOMPARE(s.dialog->findChild<QLabel *>(QStringLiteral("lblIPAddress"))->text(),
             QStringLiteral("Enter IP Address to assign (decimal dot notation)"));
    QCOMPARE(s.dialog->findChild<QLabel *>(QStringLiteral("lblMacAddress"))->text(),
             QStringLiteral("Enter the Hardware or Ethernet Address (e.g. 02-00-00-14-01-18)"));
    QCOMPARE(s.assign()->text(), QStringLiteral("Set IP Address"));
    QCOMPARE(s.ip()->text(), QStringLiteral("127.0.0.9"));
    QVERIFY(s.hardware()->text().isEmpty());
    QVERIFY(s.assign()->isEnabled());
    QVERIFY(s.idle());
    QCOMPARE(s.dialog->ping().dataSize(), 32);
    QCOMPARE(s.dialog->ping().secondTimeValue(), s.t.context.intervals.pingSecondMs);

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
    QCOMPARE(s.dialog->ping().firstTimeValue(), s.t.context.intervals.pingFirstMs);
    s.click(); // again while pinging: sent again, the pinging starts afresh
    QTRY_COMPARE_WITH_TIMEOUT(s.t.prompts.count(), 1, 20000);
    const auto shown = s.t.prompts.shown().first();
    QCOMPARE(shown.title, QStringLiteral("Information"));
    QCOMPARE(shown.text, QStringLiteral("Assign IP successful!"));
    QCOMPARE(shown.icon, PromptIcon::None);
    QVERIFY(s.idle());
    QCOMPARE(s.peer.received, QList<QByteArray>(2, datagramFor("0B0C7F00000A")));
    QTest::qWait(3 * s.t.context.intervals.pingFirstMs);
    QCOMPARE(s.t.prompts.count(), 1);
}

void AssignDialogTest::inputChecks_data()
{
    QTest::addColumn<QString>("key");     // where Enter is pressed, or "click"
    QTest::addColumn<QString>("address"); // typed into ip
    QTest::addColumn<QString>("hardware");
    QTest::addColumn<bool>("addressMessage"); // else the hardware message
    QTest::addColumn<QString>("focus");       // the box that has the focus after
    QTest::addColumn<QString>("addressAfter");
    QTest::addColumn<QString>("hardwareAfter");
    const QString ok = QStringLiteral("127.0.0.9");
    const QString shortHardware = QStringLiteral("02-00-00-04-0B-C");
    const QString longHardware = QStringLiteral("02-00-00-04-0B-0CC");
    QTest::newRow("click, address out of range") << "click"
                                                 << "240.0.0.1" << kHardware << true << "ip"
                                                 << "" << kHardware;
    QTest::newRow("click, 16-character hardware address")
        << "click" << ok << shortHardware << false << "txtHardware" << ok << "";
    QTest::newRow("Enter in ip, three parts") << "ip"
                                              << "10.0.0" << kHardware << true << "ip"
                                              << "" << kHardware;
    QTest::newRow("Enter in txtHardware, 18 characters kept")
        << "txtHardware" << ok << longHardware << false << "txtHardware" << ok << longHardware;
    QTest::newRow("Enter in txtHardware, address not a number")
        << "txtHardware"
        << "1a.0.0.1" << kHardware << true << "ip"
        << "" << kHardware;
}

void AssignDialogTest::inputChecks()
{
    QFETCH(QString, key);
    QFETCH(QString, address);
    QFETCH(QString, hardware);
    QFETCH(bool, addressMessage);
    QFETCH(QString, focus);

    AssignSetup s;
    s.fill(address, hardware);
    if (key == QLatin1String("click"))
        s.click();
    else
        QTest::keyClick(s.box(qPrintable(key)), Qt::Key_Return);

    const auto expected =
        shownBy(addressMessage ? ShowInvalidIPAddressMessage : showWrongHardwareAddressMessage);
    QCOMPARE(s.t.prompts.count(), 1);
    QCOMPARE(s.t.prompts.shown().first().text, expected.text);
    QCOMPARE(s.t.prompts.shown().first().icon, PromptIcon::Exclamation);
    QTEST(s.ip()->text(), "addressAfter");
    QTEST(s.hardware()->text(), "hardwareAfter");
    QCOMPARE(s.dialog->focusWidget(), s.box(qPrintable(focus)));
    QTest::qWait(50);
    QVERIFY(s.peer.received.isEmpty());
    QVERIFY(s.idle());
}

void AssignDialogTest::exchangeFailures_data()
{
    // The dialog cannot reach an unresolved address (every address that
    // converts is dotted), so that box is shown from its outcome directly.
    QTest::addColumn<QString>("address"); // empty: the unresolved-address outcome
    QTest::addColumn<bool>("portZero");   // a port no datagram may be sent to
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
    if (portZero)
        s.t.context.ports.query = 0;
    if (address.isEmpty()) {
        reportIpSetupFailure(s.t.context, {IpSetupOutcome::Kind::UnknownHost, std::nullopt,
                                           QStringLiteral("no.such.host")});
    } else {
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
    QTRY_COMPARE(s.peer.received, QList<QByteArray>{datagramFor("0B0C7F000009")});
    QCOMPARE(s.t.prompts.count(), 1);
    const auto shown = s.t.prompts.shown().first();
    QCOMPARE(shown.title, QStringLiteral("Error Condition"));
    QCOMPARE(shown.icon, PromptIcon::Critical);
    QVERIFY2(shown.text.startsWith(QStringLiteral("Failed in connecting socket\r\n%1\r\n")
                                       .arg(FailureNumber::IcmpUnavailable)),
             qPrintable(shown.text));
    QVERIFY(
        s.t.readFile(QStringLiteral("ErrorLog.txt")).contains("\"cmdAssign_Click in Assign IP\""));
    QVERIFY(s.idle());
}

void AssignDialogTest::closingWhilePingingStops()
{
    const QString why = icmpUnavailable();
    if (!why.isEmpty())
        QSKIP(qPrintable(why));
    AssignSetup s;
    s.fill(QStringLiteral("127.0.0.9"), kHardware);
    s.click();
    QVERIFY(s.busy());
    s.dialog->close();
    QVERIFY(s.idle());
    QTest::qWait(4 * (s.t.context.intervals.pingFirstMs + s.t.context.intervals.pingSecondMs));
    QCOMPARE(s.t.prompts.count(), 0);
}
