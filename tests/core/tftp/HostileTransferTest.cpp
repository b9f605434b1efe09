#include "HostileTransferTest.h"

#include "BytePattern.h"
#include "FailureOf.h"
#include "LoopbackPeer.h"
#include "TestContext.h"
#include "core/session/EngineOptions.h"
#include "core/support/Failure.h"
#include "core/tftp/ProductInfobase.h"
#include "core/tftp/TftpPackets.h"
#include "core/tftp/TftpTransfer.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QNetworkDatagram>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>
#include <sys/stat.h>

namespace {

QByteArray ack(quint16 block)
{
    return QByteArray("\0\4", 2) + char(block >> 8) + char(block & 0xFF);
}

// The data packets among what a peer received.
QList<QByteArray> dataPackets(const LoopbackPeer &peer)
{
    QList<QByteArray> packets;
    for (const QByteArray &d : peer.received)
        if (d.size() >= 4 && d.at(1) == Tftp::OpData)
            packets << d;
    return packets;
}

// One transfer whose device is `device`, with its signals counted.
struct HostileRun {
    HostileRun()
    {
        tc.context.ports.tftp = device.socket.localPort();
        transfer.options() = tftpTransferOptions(tc.context);
        using T = TftpTransfer;
        QObject::connect(&transfer, &T::notAcknowledged, [this] { ++noAcks; });
        QObject::connect(&transfer, &T::succeeded, [this] { ++successes; });
        QObject::connect(&transfer, &T::timedOut, [this] { ++timeouts; });
        QObject::connect(&transfer, &T::dataPacketFailed, [this] { ++dataFailures; });
        QObject::connect(&transfer, &T::failureTrapped, [this] { ++failures; });
    }
    QString source(const QByteArray &bytes)
    {
        tc.writeFile("source.bin", bytes);
        return tc.path("source.bin");
    }
    bool started(const QByteArray &bytes)
    {
        if (!device.bound)
            return false;
        transfer.start("ROM", source(bytes), "127.0.0.1");
        return QTest::qWaitFor([this] { return device.received.size() == 1; }, 2000);
    }
    // Acknowledges `block` and waits until the data packet that follows it
    // (or the success) has happened.
    bool step(quint16 block)
    {
        const qsizetype before = dataPackets(device).size();
        const int done = successes + failures;
        device.send(ack(block), device.lastSenderPort);
        return QTest::qWaitFor(
            [&] { return dataPackets(device).size() > before || successes + failures > done; },
            2000);
    }
    QByteArray stored() const
    {
        QByteArray bytes;
        for (const QByteArray &d : dataPackets(device))
            bytes += d.mid(4);
        return bytes;
    }

    LoopbackPeer device;
    TestContext tc;
    TftpTransfer transfer{tftpTransferOptions(tc.context)};
    int noAcks = 0;
    int successes = 0;
    int timeouts = 0;
    int dataFailures = 0;
    int failures = 0; // reported through the transfer's failure trap
};

} // namespace

void HostileTransferTest::strayAcknowledgementsAreIgnored()
{
    // Acks for blocks not yet sent, and the write request's ack again and
    // again, must not pull further pieces of the file out of order.
    HostileRun run;
    const QByteArray bytes = pattern(1300);
    QVERIFY(run.started(bytes));
    run.device.send(ack(5), run.device.lastSenderPort);
    QVERIFY(run.step(0));
    for (int i = 0; i < 20; ++i)
        run.device.send(ack(0), run.device.lastSenderPort);
    run.device.send(ack(7), run.device.lastSenderPort);
    run.device.send(ack(65535), run.device.lastSenderPort);
    QTest::qWait(60);
    QCOMPARE(dataPackets(run.device).size(), 1);
    QVERIFY(run.step(1));
    QVERIFY(run.step(2));
    QVERIFY(run.step(3));
    QCOMPARE(run.successes, 1);
    QCOMPARE(run.noAcks, 0);
    QCOMPARE(run.stored(), bytes);
    QVERIFY(!run.transfer.Downloading());
}

void HostileTransferTest::unansweredBlockIsRepeatedAFewTimes()
{
    // A data packet without its acknowledgement goes out again, the same
    // bytes, a few times and then no more; the write request never does (a
    // server would open a second session for it). The repeats' own
    // acknowledgements, arriving late, must not pull blocks twice.
    HostileRun run;
    run.transfer.options().retransmitMs = 40;
    run.transfer.options().timeoutMs = 5000;
    QVERIFY(run.started(pattern(1300)));
    QTest::qWait(200);
    QCOMPARE(run.device.received.size(), 1);
    QVERIFY(run.step(0));
    QTRY_COMPARE_WITH_TIMEOUT(dataPackets(run.device).size(), 6, 3000);
    QTest::qWait(300);
    const QList<QByteArray> copies = dataPackets(run.device);
    QCOMPARE(copies.size(), 6);
    for (const QByteArray &copy : copies)
        QCOMPARE(copy, Tftp::dataHeader(1) + pattern(1300).left(512));
    run.transfer.options().retransmitMs = 60000; // from here on, no repeat is due
    for (int i = 0; i < 6; ++i)
        run.device.send(ack(1), run.device.lastSenderPort);
    QTRY_COMPARE(dataPackets(run.device).size(), 7);
    QVERIFY(run.step(2));
    QVERIFY(run.step(3));
    QCOMPARE(run.successes, 1);
    QCOMPARE(dataPackets(run.device).size(), 8);
}

void HostileTransferTest::junkDatagrams_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<bool>("isAck");
    QTest::newRow("1 byte") << QByteArray(1, '\4') << false;
    QTest::newRow("2 bytes") << QByteArray("\0\4", 2) << false;
    QTest::newRow("3 bytes") << QByteArray("\0\4\0", 3) << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("error packet") << QByteArray("\0\5\0\1Disk full\0", 14) << false;
    QByteArray huge(65507, '\xEE');
    huge[1] = '\5';
    QTest::newRow("65507 bytes, not an ack") << huge << false;
    huge[1] = '\4';
    huge[2] = '\0';
    huge[3] = '\0';
    QTest::newRow("65507 bytes, ack of block 0") << huge << true;
}

void HostileTransferTest::junkDatagrams()
{
    QFETCH(QByteArray, datagram);
    QFETCH(bool, isAck);
    HostileRun run;
    QVERIFY(run.started(pattern(600)));
    run.device.send(datagram, run.device.lastSenderPort);
    if (isAck) {
        QTRY_COMPARE(dataPackets(run.device).size(), 1);
        QCOMPARE(run.noAcks, 0);
    } else {
        QTRY_COMPARE(run.noAcks, 1);
        QVERIFY(run.step(0));
    }
    QVERIFY(run.step(1));
    QVERIFY(run.step(2));
    QCOMPARE(run.successes, 1);
    QCOMPARE(run.stored(), pattern(600));
}

void HostileTransferTest::arrivalsWhileAHandlerWaitsAreNotLost()
{
    // A handler that waits in a nested loop (its message box) while the
    // device's ack and then a flood arrive: afterwards the ack is still
    // answered and the transfer goes on to its end.
    HostileRun run;
    QVERIFY(run.started(pattern(600)));
    const QByteArray junk(1000, '\xAB');
    int sent = 0;
    bool waited = false;
    QObject::connect(&run.transfer, &TftpTransfer::notAcknowledged, [&] {
        if (waited)
            return;
        waited = true;
        run.device.send(ack(0), run.device.lastSenderPort);
        QEventLoop box;
        QTimer pump;
        QObject::connect(&pump, &QTimer::timeout, [&] {
            for (int i = 0; i < 100 && sent < 10'000; ++i, ++sent)
                run.device.send(junk, run.device.lastSenderPort);
            if (sent == 10'000)
                box.quit();
        });
        pump.start(1);
        box.exec();
    });
    run.device.send(junk, run.device.lastSenderPort);
    QTRY_VERIFY(waited && sent == 10'000);
    QTRY_COMPARE(dataPackets(run.device).size(), 1);
    QVERIFY(run.step(1));
    QVERIFY(run.step(2));
    QCOMPARE(run.successes, 1);
    QCOMPARE(run.timeouts, 0);
    QCOMPARE(run.stored(), pattern(600));
}

void HostileTransferTest::secondNewPortIsIgnored()
{
    // The device answers from a new port; once that port is taken, a third
    // party on yet another port cannot steer the transfer.
    HostileRun run;
    LoopbackPeer first;
    LoopbackPeer second;
    QVERIFY(first.bound && second.bound);
    const QByteArray bytes = pattern(700);
    QVERIFY(run.started(bytes));
    const quint16 client = run.device.lastSenderPort;
    first.send(ack(0), client);
    QTRY_COMPARE(dataPackets(first).size(), 1);
    second.send(ack(1), client);
    second.send(ack(0), client);
    QTest::qWait(60);
    QCOMPARE(dataPackets(first).size(), 1);
    first.send(ack(1), client);
    QTRY_COMPARE(dataPackets(first).size(), 2);
    first.send(ack(2), client);
    QTRY_COMPARE(run.successes, 1);
    QVERIFY(second.received.isEmpty());
    QCOMPARE(run.device.received.size(), 1); // the write request only
    QCOMPARE(dataPackets(first).at(0).mid(4) + dataPackets(first).at(1).mid(4), bytes);
}

void HostileTransferTest::sourceChangesDuringTheTransfer_data()
{
    QTest::addColumn<int>("newSize");
    QTest::newRow("grows by 600 bytes") << 1624;
    QTest::newRow("shrinks to 100 bytes") << 100;
    QTest::newRow("shrinks to nothing") << 0;
}

void HostileTransferTest::sourceChangesDuringTheTransfer()
{
    // Whatever the file does meanwhile, the transfer ends cleanly, what was
    // sent is the file's bytes in order, and success is claimed only when
    // that is the whole file as it was chosen.
    QFETCH(int, newSize);
    HostileRun run;
    QVERIFY(run.started(pattern(1024)));
    QVERIFY(run.step(0));
    QFile file(run.tc.path("source.bin"));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.resize(newSize));
    if (newSize > 1024) {
        QVERIFY(file.seek(1024));
        file.write(pattern(newSize).mid(1024));
    }
    file.close();
    for (quint16 block = 1; block < 10 && run.transfer.Downloading(); ++block)
        QVERIFY(run.step(block));
    QVERIFY(!run.transfer.Downloading());
    QCOMPARE(run.successes + run.dataFailures + run.failures, 1);
    QVERIFY(pattern(qMax(newSize, 1024)).startsWith(run.stored()));
    QCOMPARE(run.successes == 1, run.stored() == pattern(1024));
    if (newSize > 1024)
        QCOMPARE(run.stored().size(), newSize);
}

void HostileTransferTest::specialSourceFailsAtOnce_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("folder") << "folder";
    QTest::newRow("link to a device") << "device";
}

void HostileTransferTest::specialSourceFailsAtOnce()
{
    QFETCH(QString, kind);
    HostileRun run;
    const QString path = run.tc.path("image.bin");
    if (kind == "fifo")
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (kind == "folder")
        QVERIFY(QDir(run.tc.folder()).mkdir("image.bin"));
    else
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    QCOMPARE(failureOf([&] { run.transfer.start("ROM", path, "127.0.0.1"); }),
             FailureNumber::PathFileAccessError);
    run.transfer.SocketCleanup();
    QTest::qWait(30);
    QVERIFY(run.device.received.isEmpty());
}

void HostileTransferTest::specialInfobaseFailsAtOnce()
{
    // An infobase name that is a FIFO must not hang the dialog's load.
    TestContext t;
    const QString path = t.path("ProductInfobase.txt");
    QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    const int number = FailureNumber::PathFileAccessError;
    QCOMPARE(failureOf([&] { ProductInfobase::read(path); }), number);
    QCOMPARE(failureOf([&] { ProductInfobase::lookUp(path, "Standard"); }), number);
    QCOMPARE(failureOf([&] { ProductInfobase::appendDefault(path); }), number);
}

void HostileTransferTest::oddInfobaseContent_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("entries"); // device file name=display name, in file order
    QTest::newRow("blank and bad lines skipped")
        << QByteArray("\"R1\",\"First\"\r\n\r\nbad line\r\nR2 , Second\n")
        << QStringList{"R1=First", "R2=Second"};
    QTest::newRow("lone CR line ends")
        << QByteArray("\"A\",\"One\"\r\"B\",\"Two\"\r") << QStringList{"A=One", "B=Two"};
    QTest::newRow("CR CR LF line ends")
        << QByteArray("A,One\r\r\nB,Two\r\r\n") << QStringList{"A=One", "B=Two"};
    QTest::newRow("LF only, no last line end")
        << QByteArray("A,One\nB,Two") << QStringList{"A=One", "B=Two"};
    QTest::newRow("binary junk line skipped")
        << QByteArray("\0\xFF\x80\r\nA,One\r\n", 12) << QStringList{"A=One"};
    QTest::newRow("NUL and high bytes kept")
        << QByteArray("A,O\0\xE9\r\n", 7) << QStringList{QString::fromLatin1("A=O\0\xE9", 5)};
    QTest::newRow("unclosed quote") << QByteArray("\"A,One\r\nB,\"Two") << QStringList{"B=Two"};
}

void HostileTransferTest::oddInfobaseContent()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, entries);
    TestContext t;
    t.writeFile("ib.txt", bytes);
    QStringList read;
    for (const InfobaseEntry &entry : ProductInfobase::read(t.path("ib.txt")))
        read << entry.deviceFileName + '=' + entry.displayName;
    QCOMPARE(read, entries);
    QCOMPARE(ProductInfobase::lookUp(t.path("ib.txt"), entries.last().section('=', 1)),
             std::optional<QString>(entries.last().section('=', 0, 0)));
}
