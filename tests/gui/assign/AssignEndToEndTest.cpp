#include "AssignDialogTest.h"

#include "AssignSetup.h"
#include "NetnsFixture.h"
#include "TestContext.h"

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

namespace {
// Bytes as the simulator logs them: upper-case hex pairs joined by blanks.
QString logged(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}
} // namespace

void AssignEndToEndTest::assignAcrossVethPair_data()
{
    QTest::addColumn<QString>("hardware");
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<bool>("taken");
    QTest::newRow("this device") << "02-00-00-04-0b-0c" << QByteArray::fromHex("0B0C") << true;
    QTest::newRow("another device") << "02-00-00-04-0B-0D" << QByteArray::fromHex("0B0D") << false;
}

void AssignEndToEndTest::assignAcrossVethPair()
{
    QFETCH(QString, hardware);
    QFETCH(QByteArray, tail);
    QFETCH(bool, taken);
    NetnsFixture ns;
    QString why;
    if (!ns.setUp(&why))
        QSKIP(qPrintable(why));
    why = icmpUnavailable();
    if (!why.isEmpty())
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
    const QString log = ns.simulatorLog();
    const quint32 address = QHostAddress(newAddress).toIPv4Address();
    QByteArray datagram = QByteArray::fromHex("000000FC49502D53455455500000") + tail;
    for (int shift = 24; shift >= 0; shift -= 8)
        datagram += char(address >> shift);
    QVERIFY2(log.contains(QStringLiteral("(20 bytes) ") + logged(datagram)), qPrintable(log));
    if (taken) {
        QVERIFY2(log.contains(QStringLiteral("Address %1 is up").arg(newAddress)), qPrintable(log));
        QCOMPARE(t.prompts.shown().first().title, QStringLiteral("Information"));
    } else {
        QVERIFY2(log.contains(QStringLiteral("IP-SETUP for another device (0b-0d) ignored")),
                 qPrintable(log));
        QCOMPARE(t.prompts.shown().first().title, QStringLiteral("Assign IP Failed!"));
        QCOMPARE(timeouts.count(), 4);
    }
}

QObject *createAssignEndToEndTest()
{
    return new AssignEndToEndTest;
}

#include "AssignEndToEndTest.moc"
