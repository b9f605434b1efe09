#include "TestDownloadLogic.h"

#include "AllocationCount.h"
#include "BytePattern.h"
#include "FailureOf.h"
#include "LoopbackPeer.h"
#include "SimulatorFixture.h"
#include "TestContext.h"
#include "core/net/UdpSocketControl.h"
#include "core/session/EngineOptions.h"
#include "core/tftp/TftpPackets.h"
#include "core/tftp/TftpSource.h"
#include "core/tftp/TftpTransfer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>

namespace {

// One transfer against the simulated device, with every signal written down
// in the order raised.
struct TransferRun {
    explicit TransferRun(TftpFault fault = TftpFault::None, int ackDelayMs = 0,
                         const QList<quint16> &lost = {}, bool logDatagrams = true)
    {
        sim.options.logDatagrams = logDatagrams;
        sim.options.fault = fault;
        sim.options.ackDelayMs = ackDelayMs;
        sim.options.lostDataBlocks = lost;
        simStarted = sim.start();
        sim.pointAt(tc.context);
        transfer.options() = tftpTransferOptions(tc.context);
        using T = TftpTransfer;
        auto note = [this](const QString &event) { return [this, event] { events << event; }; };
        QObject::connect(&transfer, &T::downloadStarted, note("started"));
        QObject::connect(&transfer, &T::becameIdle, note("idle"));
        QObject::connect(&transfer, &T::writeRequestFailed, note("writeRequestFailed"));
        QObject::connect(&transfer, &T::notAcknowledged, note("noAck"));
        QObject::connect(&transfer, &T::deviceReportedError,
                         [this](const Failure &failure) { events << failure.description(); });
        QObject::connect(&transfer, &T::succeeded, note("success"));
        QObject::connect(&transfer, &T::timedOut, note("timeout"));
        QObject::connect(&transfer, &T::failureTrapped,
                         [this](const QString &place, const Failure &) { events << place; });
        QObject::connect(&transfer, &T::dataPacketFailed,
                         [this](int next) { events << QStringLiteral("dataFailed %1").arg(next); });
        QObject::connect(&transfer, &T::progressed,
                         [this](qint64 sent, qint64) { progress << sent; });
    }

    QString source(const QByteArray &bytes)
    {
        tc.writeFile("source.bin", bytes);
        return tc.path("source.bin");
    }

    // Data packets the device received, in order.
    QList<QByteArray> dataPackets() const
    {
        QList<QByteArray> data;
        for (const QByteArray &d : sim.receivedBytes())
            if (d.size() >= 4 && d.at(1) == Tftp::OpData)
                data << d;
        return data;
    }

    TestContext tc;
    SimulatorFixture sim;
    TftpTransfer transfer{tftpTransferOptions(tc.context)};
    QStringList events;
    QList<qint64> progress;
    bool simStarted = false;
};

void verifyIdle(TftpTransfer &transfer)
{
    QVERIFY(!transfer.Downloading());
    QVERIFY(!transfer.CancelRequested());
    QVERIFY(!transfer.timer().isActive());
    QCOMPARE(transfer.timer().interval(), 0);
    QVERIFY(!transfer.socket().isConnected());
}

} // namespace

void TestDownloadLogic::transferStoresTheFile_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("size");
    QTest::addColumn<QList<quint16>>("lost"); // data blocks lost once on the way
    QTest::addColumn<int>("reports");         // progressed(): once per whole percent
    QTest::addColumn<int>("retransmitMs");    // 0: the program's
    QTest::addColumn<int>("sinceLastAckMs");  // a time-out from the last ack; 0: the program's
    const QList<quint16> none;
    QTest::newRow("empty: the write request only")
        << int(TftpFault::None) << 0 << none << 0 << 0 << 0;
    QTest::newRow("3 blocks") << int(TftpFault::None) << 1300 << none << 3 << 0 << 0;
    QTest::newRow("past block 256: percents 0-100")
        << int(TftpFault::None) << 300 * 512 + 100 << none << 101 << 0 << 0;
    QTest::newRow("device answers from a new port")
        << int(TftpFault::NewPort) << 5000 << none << 10 << 0 << 0;
    QTest::newRow("every ack twice") << int(TftpFault::RepeatAck) << 5000 << none << 10 << 0 << 0;
    QTest::newRow("delayed acks") << int(TftpFault::DelayAck) << 2100 << none << 5 << 0 << 0;
    // The repeat waits for the packet in flight, not for the first one sent.
    QTest::newRow("acks in 5 ms over two repeat times: no repeat")
        << int(TftpFault::DelayAck) << 150 * 512 << none << 101 << 300 << 0;
    // Only where a packet is lost is the repeat time short: a spurious
    // repeat on a busy machine would show up below as a block received twice.
    QTest::newRow("block 2 lost") << int(TftpFault::None) << 1300 << QList<quint16>{2} << 3 << 150
                                  << 0;
    // The whole transfer takes more than a second; no ack is half a second late.
    QTest::newRow("time-out from the last ack")
        << int(TftpFault::DelayAck) << 200 * 512 << none << 101 << 0 << 500;
    QTest::newRow("first and last block lost")
        << int(TftpFault::DelayAck) << 1300 << QList<quint16>{1, 3} << 3 << 150 << 0;
}

void TestDownloadLogic::transferStoresTheFile()
{
    QFETCH(int, fault);
    QFETCH(int, size);
    QFETCH(QList<quint16>, lost);
    QFETCH(int, reports);
    QFETCH(int, retransmitMs);
    QFETCH(int, sinceLastAckMs);
    TransferRun run(TftpFault(fault), 5, lost);
    QVERIFY(run.simStarted);
    if (retransmitMs > 0)
        run.transfer.options().retransmitMs = retransmitMs;
    if (sinceLastAckMs > 0) {
        run.transfer.options().timeoutMs = sinceLastAckMs;
        run.transfer.options().timeoutSinceLastAck = true;
    }
    const QByteArray bytes = pattern(size);
    run.transfer.start("FW.ROM", run.source(bytes), "127.0.0.1");
    QTRY_VERIFY(run.events.contains("success"));
    QCOMPARE(run.events, QStringList({"started", "idle", "success"}));
    verifyIdle(run.transfer);

    QTRY_COMPARE(run.sim.storedFile("FW.ROM"), bytes);
    QCOMPARE(run.sim.receivedBytes().first(), Tftp::writeRequest("FW.ROM"));
    const QList<QByteArray> data = run.dataPackets();
    const int blocks = (size + 511) / 512;
    QCOMPARE(run.sim.receivedBytes().size(), 1 + blocks); // and nothing else
    // Each block arrived once: repeated acks are not answered, and a lost
    // block is sent again only because it never arrived.
    QCOMPARE(data.size(), blocks);
    for (int i = 0; i < blocks; ++i) {
        QCOMPARE(data[i].left(4), Tftp::dataHeader(quint16(i + 1)));
        QCOMPARE(data[i].size(), 4 + qMin(512, size - i * 512));
    }
    QCOMPARE(run.progress.size(), reports);
    QCOMPARE(run.progress.value(reports - 1), qint64(size));
}

void TestDownloadLogic::transferAllocatesNothingPerBlock()
{
    if (!AllocationCount::available())
        QSKIP("This build's allocator cannot be counted (sanitizers)");
    // The heap allocations of one whole transfer, the in-process device's
    // side included, for a file of 128 and one of 2048 blocks: a fixed cost
    // per transfer is fine, any cost per block shows as thousands.
    auto allocationsFor = [](int size) -> qint64 {
        TransferRun run(TftpFault::None, 0, {}, false);
        const QByteArray bytes = pattern(size);
        const QString path = run.source(bytes);
        QEventLoop loop;
        QObject::connect(&run.transfer, &TftpTransfer::finished, &loop, &QEventLoop::quit);
        const quint64 before = AllocationCount::now();
        run.transfer.start("FW.ROM", path, "127.0.0.1");
        loop.exec();
        const quint64 after = AllocationCount::now();
        const bool stored = run.sim.storedFile("FW.ROM") == bytes;
        return run.events.contains("success") && stored ? qint64(after - before) : -1;
    };
    const qint64 small = allocationsFor(64 * 1024);
    const qint64 large = allocationsFor(1024 * 1024);
    QVERIFY(small > 0 && large > 0);
    QVERIFY2(large - small < 48, qPrintable(QStringLiteral("%1 against %2").arg(large).arg(small)));
}

void TestDownloadLogic::blockNumberWrapsAfter65535()
{
    // A file of more than 65535 blocks goes on with block 0, as standard
    // servers expect, instead of stopping at the counter's end.
    TransferRun run;
    QVERIFY(run.simStarted);
    run.transfer.options().timeoutMs = 60000;
    const int size = 65536 * 512 + 300;
    const QByteArray bytes = pattern(size);
    run.transfer.start("BIG.ROM", run.source(bytes), "127.0.0.1");
    QSignalSpy idle(&run.transfer, &TftpTransfer::becameIdle);
    QVERIFY(idle.wait(60000));
    QCOMPARE(run.events, QStringList({"started", "idle", "success"}));
    const QList<QByteArray> data = run.dataPackets();
    QCOMPARE(data.size(), 65537);
    QCOMPARE(data[65534].left(4), Tftp::dataHeader(65535));
    QCOMPARE(data[65535].left(4), QByteArray::fromHex("00030000"));
    QCOMPARE(data[65536].left(4), QByteArray::fromHex("00030001"));
    QCOMPARE(run.sim.storedFile("BIG.ROM"), bytes);
}

void TestDownloadLogic::notAcknowledgedThenTimeout_data()
{
    // A device whose session is still open when the transfer gives up is
    // told so with an error packet; one that ended it itself is not. Its
    // error packet gives "No Ack!" and its code and text for the log.
    QTest::addColumn<int>("fault");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QList<QByteArray>>("received");
    const QByteArray request = Tftp::writeRequest("ROM");
    const QByteArray timedOut = QByteArray::fromHex("00050000") + "Download timed out" + '\0';
    QTest::newRow("error packet") << int(TftpFault::ErrorPacket)
                                  << QStringList{"started",
                                                 "TFTP error 0 from the device: Simulated fault",
                                                 "noAck", "timeout", "idle"}
                                  << QList<QByteArray>{request};
    QTest::newRow("short datagram")
        << int(TftpFault::ShortDatagram) << QStringList{"started", "noAck", "timeout", "idle"}
        << QList<QByteArray>{request, timedOut};
    QTest::newRow("no answer") << int(TftpFault::NeverAck)
                               << QStringList{"started", "timeout", "idle"}
                               << QList<QByteArray>{request, timedOut};
}

void TestDownloadLogic::notAcknowledgedThenTimeout()
{
    QFETCH(int, fault);
    QFETCH(QStringList, events);
    QFETCH(QList<QByteArray>, received);
    TransferRun run{TftpFault(fault)};
    QVERIFY(run.simStarted);
    run.transfer.options().timeoutMs = 300;
    run.transfer.start("ROM", run.source(pattern(2000)), "127.0.0.1");
    QTRY_VERIFY(run.events.contains("idle"));
    QCOMPARE(run.events, events);
    QTRY_COMPARE(run.sim.receivedBytes(), received);
    QTest::qWait(50); // and nothing more
    QCOMPARE(run.sim.receivedBytes(), received);
    verifyIdle(run.transfer);
}

void TestDownloadLogic::timeoutCoversTheWholeTransfer()
{
    // Acknowledgements every 40 ms would keep a restarted timer from ever
    // ticking; the 400 ms time-out must end the transfer anyway.
    TransferRun run(TftpFault::DelayAck, 40);
    QVERIFY(run.simStarted);
    run.transfer.options().timeoutMs = 400;
    QElapsedTimer clock;
    clock.start();
    run.transfer.start("ROM", run.source(pattern(200 * 512 + 9)), "127.0.0.1");
    QTRY_VERIFY(run.events.contains("idle"));
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(run.events, QStringList({"started", "timeout", "idle"}));
    QVERIFY(run.progress.size() >= 3);
    const qsizetype sent = run.dataPackets().size();
    QTest::qWait(120); // acknowledgements still on their way get no answer
    QCOMPARE(run.dataPackets().size(), sent);
    verifyIdle(run.transfer);
}

void TestDownloadLogic::stopBeforeConnectionSendsNothing()
{
    // Before the connection event the socket reports state zero, so Stop
    // Download only asks for the cancel; the connection event then ends the
    // transfer instead of sending the write request.
    TransferRun run;
    QVERIFY(run.simStarted);
    run.transfer.start("ROM", run.source(pattern(600)), "127.0.0.1");
    QCOMPARE(run.transfer.socket().state(), 0);
    run.transfer.stopDownload();
    QCOMPARE(run.events, QStringList({"started"}));
    QVERIFY(run.transfer.Downloading());
    QTRY_COMPARE(run.events, QStringList({"started", "idle"}));
    QTest::qWait(50);
    QCOMPARE(run.events, QStringList({"started", "idle"}));
    QVERIFY(run.sim.receivedBytes().isEmpty()); // the write request was never sent
    verifyIdle(run.transfer);
}

void TestDownloadLogic::stopAfterConnectionEndsAtOnce()
{
    TransferRun run(TftpFault::NeverAck);
    QVERIFY(run.simStarted);
    run.transfer.start("ROM", run.source(pattern(600)), "127.0.0.1");
    QTRY_VERIFY(run.transfer.socket().state() != 0);
    QTRY_COMPARE(run.sim.receivedBytes().size(), 1);
    run.transfer.stopDownload();
    QCOMPARE(run.events, QStringList({"started", "idle"}));
    verifyIdle(run.transfer);
    // The device is told, so that it is free for the next attempt.
    QTRY_COMPARE(run.sim.receivedBytes().size(), 2);
    QCOMPARE(run.sim.receivedBytes().at(1),
             QByteArray::fromHex("00050000") + "Download stopped" + '\0');
}

void TestDownloadLogic::startFailuresAreThrown_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("number");
    const auto row = [](const char *name, const char *source, const char *address, int number) {
        QTest::newRow(name) << QString(source) << QString(address) << number;
    };
    row("missing file", "missing.bin", "127.0.0.1", FailureNumber::FileNotFound);
    row("missing folder", "no/such.bin", "127.0.0.1", FailureNumber::PathNotFound);
    row("blank address", "source.bin", "   ", FailureNumber::InvalidAddress);
}

void TestDownloadLogic::startFailuresAreThrown()
{
    QFETCH(QString, source);
    QFETCH(QString, address);
    TransferRun run;
    run.source(pattern(10));
    QTEST(failureOf([&] { run.transfer.start("ROM", run.tc.path(source), address); }), "number");
    QVERIFY(run.transfer.Downloading()); // the caller's SocketCleanup ends it
    run.transfer.SocketCleanup();
    verifyIdle(run.transfer);
}

void TestDownloadLogic::unsendableNameEndsTheTransfer()
{
    TransferRun run;
    QVERIFY(run.simStarted);
    run.transfer.start(QStringLiteral("WEB\u20ac"), run.source(pattern(10)), "127.0.0.1");
    QTRY_VERIFY(run.events.contains("idle"));
    QCOMPARE(run.events, QStringList({"started", "UDP_WriteReq function in TFTP",
                                      "writeRequestFailed", "idle"}));
    verifyIdle(run.transfer);
}

void TestDownloadLogic::fileChangedWhileSentIsNoSuccess_data()
{
    QTest::addColumn<int>("newSize");
    QTest::newRow("cut short") << 1500;
    QTest::newRow("cut to a block boundary") << 1024;
    QTest::newRow("grown") << 300000;
}

void TestDownloadLogic::fileChangedWhileSentIsNoSuccess()
{
    // The device got something other than the file that was chosen; the
    // transfer must end without claiming success, and say why. The file is
    // larger than what the reader buffers, so the change is seen.
    QFETCH(int, newSize);
    const int size = 200000;
    TransferRun run(TftpFault::DelayAck, 2);
    QVERIFY(run.simStarted);
    run.transfer.options().timeoutMs = 9000; // 587 delayed blocks on a busy machine
    const QString path = run.source(pattern(size));
    int failureNumber = 0;
    QString description;
    connect(&run.transfer, &TftpTransfer::failureTrapped, this,
            [&](const QString &, const Failure &failure) {
                failureNumber = failure.number();
                description = failure.description();
            });
    bool changed = false;
    connect(&run.transfer, &TftpTransfer::progressed, this, [&] {
        if (!changed)
            run.tc.writeFile("source.bin", pattern(newSize)); // in place, after block 1
        changed = true;
    });
    run.transfer.start("FW.ROM", path, "127.0.0.1");
    QTRY_VERIFY_WITH_TIMEOUT(run.events.contains("idle"), 10000);
    QCOMPARE(run.events, QStringList({"started", "idle", "UDP_Data function in TFTP"}));
    QCOMPARE(failureNumber, FailureNumber::SourceFileChanged);
    QVERIFY2(description.contains(QStringLiteral("of the 200000")), qPrintable(description));
    verifyIdle(run.transfer);
    const QByteArray stored = run.sim.storedFile("FW.ROM");
    QVERIFY(stored.size() != size);
    QVERIFY(pattern(qMax(newSize, size)).startsWith(stored));
}

void TestDownloadLogic::failedSendRepeatsTheSameBytes()
{
    // Block 2 fails to go out; the device asks for it again by repeating its
    // acknowledgement of block 1. What goes out then must be block 2's bytes,
    // not the 512 after them: the device would store a file with a hole.
    TestContext tc;
    LoopbackPeer device;
    QVERIFY(device.bound);
    const QByteArray bytes = pattern(1300);
    tc.writeFile("source.bin", bytes);
    QStringList reported;
    TftpSource source([&](const QString &place, const Failure &) { reported << place; });
    source.open(tc.path("source.bin"));
    UdpSocketControl socket;
    socket.setHostAddress("127.0.0.1");
    socket.setRemotePort(device.port());
    socket.connectSocket();
    UdpSocketControl notConnected; // its sends fail

    QVERIFY(source.UDP_Data(1, socket));
    QVERIFY(!source.UDP_Data(2, notConnected));
    QCOMPARE(reported, QStringList{TftpSource::dataPlace()});
    QVERIFY(source.UDP_Data(2, socket));
    QVERIFY(source.UDP_Data(3, socket));
    QVERIFY(source.UDP_Data(4, socket));
    QVERIFY(source.TransferDone());
    QTRY_COMPARE(device.received.size(), 3);
    QByteArray stored;
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(device.received[i].left(4), Tftp::dataHeader(quint16(i + 1)));
        stored += device.received[i].mid(4);
    }
    QCOMPARE(stored, bytes);
    QCOMPARE(source.bytesRead(), qint64(bytes.size()));
}
