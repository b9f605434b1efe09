#include "TestDownloadLogic.h"

#include "TestContext.h"
#include "TftpdServer.h"
#include "core/session/EngineOptions.h"
#include "core/tftp/TftpTransfer.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

void TestDownloadLogic::uploadToTftpdHpa_data()
{
    // A standard server waits for a block shorter than 512 bytes to end the
    // file, and this sender never sends an empty closing block: only sizes
    // that are not a multiple of 512 complete on such a server.
    QTest::addColumn<int>("size");
    QTest::newRow("1") << 1;
    QTest::newRow("511") << 511;
    QTest::newRow("513") << 513;
    QTest::newRow("1300") << 1300;
    QTest::newRow("100007") << 100007;
}

void TestDownloadLogic::uploadToTftpdHpa()
{
    const QString reason = TftpdServer::unavailableReason();
    if (!reason.isEmpty())
        QSKIP(qPrintable(reason));
    QFETCH(int, size);
    TftpdServer server;
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));

    TestContext tc;
    tc.context.ports.tftp = server.port();
    QByteArray bytes(size, '\x5a');
    QRandomGenerator(quint32(size)).fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    tc.writeFile("upload.bin", bytes);

    TftpTransfer transfer(tftpTransferOptions(tc.context));
    bool succeeded = false;
    QStringList trouble;
    QObject::connect(&transfer, &TftpTransfer::succeeded, [&] { succeeded = true; });
    QObject::connect(&transfer, &TftpTransfer::notAcknowledged, [&] { trouble << "noAck"; });
    QObject::connect(&transfer, &TftpTransfer::timedOut, [&] { trouble << "timeout"; });
    // A real event loop: QTRY_* sleeps between its polls, which would add a
    // pause to every round trip with a peer outside this process.
    QSignalSpy idle(&transfer, &TftpTransfer::becameIdle);
    transfer.start("stored.bin", tc.path("upload.bin"), "127.0.0.1");
    QVERIFY(idle.wait(tc.context.intervals.tftpTimeoutMs + 1000));
    QVERIFY(succeeded || !trouble.isEmpty());
    QVERIFY2(trouble.isEmpty(), qPrintable(trouble.join(',')));

    // The server writes the last block after acknowledging it.
    const QString stored = server.storedPath("stored.bin");
    QTRY_COMPARE(QFileInfo(stored).size(), qint64(size));
    QFile file(stored);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll() == bytes);
}
