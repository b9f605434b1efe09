#include "AssignDialogTest.h"

#include "AssignSetup.h"
#include "NetnsFixture.h"
#include "core/support/SharedMessages.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

// The dialog against the simulated device in a network namespace of the
// test's own: the broadcast crosses a veth pair, the device puts the new
// address on its interface and answers the pings, or keeps quiet.
class AssignEndToEndTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void assignAcrossVethPair_data();
    void assignAcrossVethPair();
};

void AssignEndToEndTest::assignAcrossVethPair_data()
{
    QTest::addColumn<QString>("hardware");
    QTest::addColumn<bool>("taken");
    QTest::newRow("this device") << "02-00-00-04-0b-0c" << true;
    QTest::newRow("another device") << "02-00-00-04-0B-0D" << false;
    QTest::newRow("a letter that upper-cases to two") << "\u00DF2-00-00-04-0b-0c" << true;
}

void AssignEndToEndTest::assignAcrossVethPair()
{
    QFETCH(QString, hardware);
    QFETCH(bool, taken);
    NetnsFixture ns;
    QString why;
    if (!ns.setUp(&why) || !(why = icmpUnavailable()).isEmpty())
        QSKIP(qPrintable(why));
    QVERIFY2(ns.startSimulator({"--hardware-address", "02-00-00-04-0B-0C"}, &why), qPrintable(why));

    TestContext t;
    t.context.ports.query = ns.queryPort();
    const QString newAddress = ns.address(50);
    t.context.currentDeviceAddress = newAddress;
    // The device takes the address only after the first request has gone out;
    // that request's neighbour look-up is answered at its next probe, about a
    // second later, so a request waits longer than that.
    t.context.intervals.pingFirstMs = 1500;
    t.context.intervals.pingSecondMs = 100;
    AssignIPDialog dialog(t.context);
    dialog.setAttribute(Qt::WA_DeleteOnClose, false);
    dialog.show();
    QSignalSpy timeouts(&dialog.ping(), &PingControl::replyTimedOut);
    dialog.findChild<QLineEdit *>(QStringLiteral("txtHardware"))->setText(hardware);
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("cmdAssign")), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(t.prompts.count(), 1, 30000);

    // The device's capture of the datagram, byte for byte.
    QByteArray datagram =
        QByteArray::fromHex("000000FC49502D534554555000000B") + char(taken ? 0x0C : 0x0D);
    for (int shift = 24; shift >= 0; shift -= 8)
        datagram += char(QHostAddress(newAddress).toIPv4Address() >> shift);
    const QString log = ns.simulatorLog();
    QVERIFY2(log.contains(QStringLiteral("(20 bytes) ") + datagram.toHex(' ').toUpper()),
             qPrintable(log));
    QVERIFY2(log.contains(taken ? QStringLiteral("Address %1 is up").arg(newAddress)
                                : QStringLiteral("IP-SETUP for another device (0b-0d) ignored")),
             qPrintable(log));
    QCOMPARE(t.prompts.shown().first().title, taken ? kInformationTitle : kAssignFailedTitle);
    if (!taken)
        QCOMPARE(timeouts.count(), 4);
}

QObject *createAssignEndToEndTest()
{
    return new AssignEndToEndTest;
}

#include "AssignEndToEndTest.moc"
