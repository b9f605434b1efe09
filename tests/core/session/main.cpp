// The program's defaults, and the engines' options built from the context.
#include "core/session/EngineOptions.h"

#include <QtTest>

class SessionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void defaults_data();
    void defaults();
    void enginesTakeTheContextsValues();
};

void SessionTest::defaults_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("expected");
    const AppContext c;
    QTest::newRow("splash") << c.intervals.splashMs << 2000;
    QTest::newRow("query time-out") << c.intervals.queryTimeoutMs << 10000;
    QTest::newRow("discovery time-out") << c.intervals.discoveryTimeoutMs << 2000;
    QTest::newRow("TFTP time-out") << c.intervals.tftpTimeoutMs << 10000;
    QTest::newRow("TFTP repeat after") << c.intervals.tftpRetransmitMs << 1000;
    QTest::newRow("ping wait") << c.intervals.pingFirstMs << 1000;
    QTest::newRow("ping pause") << c.intervals.pingSecondMs << 2000;
    QTest::newRow("query port") << int(c.ports.query) << 30718;
    QTest::newRow("TFTP port") << int(c.ports.tftp) << 69;
    QTest::newRow("ping data") << c.limits.pingDataBytes << 32;
    QTest::newRow("Ping Device limit") << c.limits.pingDeviceLimit << 4;
    QTest::newRow("TFTP repeats") << c.limits.tftpResends << 5;
}

void SessionTest::defaults()
{
    QFETCH(int, value);
    QTEST(value, "expected");
}

// Each value reaches the option it belongs to, and no other: the context's
// values are all different here.
void SessionTest::enginesTakeTheContextsValues()
{
    AppContext c;
    c.ports = {4001, 4002};
    c.intervals.queryTimeoutMs = 11;
    c.intervals.discoveryTimeoutMs = 12;
    c.intervals.holdersSettleMs = 13;
    c.intervals.tftpTimeoutMs = 14;
    c.intervals.tftpRetransmitMs = 15;
    c.intervals.pingFirstMs = 16;
    c.intervals.pingSecondMs = 17;
    c.intervals.probeMs = 23;
    c.intervals.confirmPollMs = 24;
    c.intervals.assignConfirmMs = 25;
    c.intervals.comeBackPollMs = 26;
    c.intervals.comeBackMs = 27;
    c.limits.pingDataBytes = 18;
    c.limits.probeEchoes = 19;
    c.limits.tftpResends = 21;
    c.limits.discoveryReceiveBufferBytes = 22;

    const PingOptions ping = pingOptions(c);
    QCOMPARE((QList<int>{ping.dataBytes, ping.waitMs, ping.pauseMs}), (QList<int>{18, 16, 17}));
    const PingOptions probe = probePingOptions(c);
    QCOMPARE((QList<int>{probe.dataBytes, probe.waitMs, probe.pauseMs}), (QList<int>{18, 16, 0}));

    const TftpTransferOptions tftp = tftpTransferOptions(c);
    QCOMPARE((QList<int>{tftp.port, tftp.timeoutMs, tftp.retransmitMs, tftp.maxResends}),
             (QList<int>{4002, 14, 15, 21}));

    const DiscoveryOptions discovery = discoveryOptions(c);
    QCOMPARE((QList<int>{discovery.port, discovery.timeoutMs, discovery.receiveBufferBytes}),
             (QList<int>{4001, 12, 22}));
    QVERIFY(discovery.interfaceNames.isEmpty());

    const CommissionSettings run = commissionSettings(c, QStringLiteral("/data/devices.txt"));
    QCOMPARE((QList<int>{run.probe.port, run.probe.pingDataBytes, run.probe.waitMs,
                         run.probe.settleMs, run.confirm.port, run.confirm.pollMs,
                         run.confirm.timeoutMs, run.comeBack.port, run.comeBack.pollMs,
                         run.comeBack.timeoutMs, run.tftp.port, run.tftp.maxResends}),
             (QList<int>{4001, 18, 23, 13, 4001, 24, 25, 4001, 26, 27, 4002, 21}));
    QCOMPARE(run.dataFile, QStringLiteral("/data/devices.txt"));
}

QTEST_GUILESS_MAIN(SessionTest)
#include "main.moc"
