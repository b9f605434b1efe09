#include "TestDownloadDialogs.h"

#include "DialogChecks.h"
#include "DialogTestSupport.h"
#include "core/net/UdpSocketControl.h"
#include "core/support/Failure.h"
#include "core/support/SharedMessages.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

void TestDownloadDialogs::stopDownloadEndsTheTransfer_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("closeWindow"); // else Stop Download, or Cancel when idle
    QTest::addColumn<bool>("busy");
    for (const auto kind : {DownloadKind::Firmware, DownloadKind::WebPages}) {
        const char *k = kind == DownloadKind::Firmware ? "firmware" : "web";
        QTest::addRow("%s, stop", k) << int(kind) << false << true;
        QTest::addRow("%s, close", k) << int(kind) << true << true;
        QTest::addRow("%s, Cancel while idle hides", k) << int(kind) << false << false;
    }
}

void TestDownloadDialogs::stopDownloadEndsTheTransfer()
{
    QFETCH(int, kind);
    QFETCH(bool, closeWindow);
    QFETCH(bool, busy);
    DialogRun run{DownloadKind(kind), TftpFault::NeverAck};
    QVERIFY(run.simStarted);
    run.open();
    run.dialog->show();
    fillIn(run);
    if (busy) {
        QTest::mouseClick(run.download(), Qt::LeftButton);
        QCOMPARE(run.cancel()->text(), QStringLiteral("Stop Download"));
        QVERIFY(!run.download()->isEnabled());
        QCOMPARE(run.dialog->cursor().shape(), Qt::WaitCursor);
        QTRY_COMPARE(run.received().size(), 1);
    }
    if (closeWindow)
        run.dialog->close();
    else
        QTest::mouseClick(run.cancel(), Qt::LeftButton);
    verifyDialogIdle(run);
    QCOMPARE(run.dialog->isVisible(), busy && !closeWindow);
    auto *socket = run.dialog->findChild<UdpSocketControl *>(namesOf(DownloadKind(kind)).socket);
    QVERIFY(socket && !socket->isConnected());
    QCOMPARE(run.tc.prompts.count(), 0);
    if (!busy)
        return;
    if (closeWindow) {
        QPointer<QWidget> closed = run.dialog.release(); // unloaded: it deletes itself
        QTRY_VERIFY(closed.isNull());
    }
    // The device is told, so that it is free for the next attempt.
    QTRY_COMPARE(run.received().size(), 2);
    QCOMPARE(run.received().at(1), QByteArray::fromHex("00050000") + "Download stopped" + '\0');
}

void TestDownloadDialogs::stopBeforeConnectionIsDeferred()
{
    // Stop Download before the socket's connection event only asks for the
    // cancel: the dialog stays busy until that event ends the transfer, and
    // no write request is ever sent.
    DialogRun run{DownloadKind::Firmware, TftpFault::None};
    QVERIFY(run.simStarted);
    run.open();
    run.dialog->show();
    fillIn(run);
    QTest::mouseClick(run.download(), Qt::LeftButton);
    QTest::mouseClick(run.cancel(), Qt::LeftButton);
    QCOMPARE(run.cancel()->text(), QStringLiteral("Stop Download"));
    QVERIFY(run.dialog->isVisible());
    QTRY_COMPARE(run.cancel()->text(), QStringLiteral("Cancel"));
    verifyDialogIdle(run);
    QTest::qWait(50);
    QCOMPARE(run.received().size(), 0);
    QCOMPARE(run.tc.prompts.count(), 0);
}

void TestDownloadDialogs::errorPacketThenTimeout_data()
{
    addKindRows();
}

void TestDownloadDialogs::errorPacketThenTimeout()
{
    QFETCH(int, kind);
    DialogRun run{DownloadKind(kind), TftpFault::ErrorPacket};
    QVERIFY(run.simStarted);
    run.tc.context.intervals.tftpTimeoutMs = 300;
    run.open();
    fillIn(run);
    QTest::mouseClick(run.download(), Qt::LeftButton);
    QTRY_COMPARE(said(run.tc.prompts),
                 QStringList({kTransmitTitle + "|Information|" + kNoAckText,
                              kErrorTitle + "|None|" + kDownloadTimeoutText}));
    verifyDialogIdle(run);
    // The box says only "No Ack!"; the log says why.
    const QString socket = namesOf(DownloadKind(kind)).socket;
    const QString caption = kind == int(DownloadKind::Firmware) ? "Load Firmware" : "Load WebPages";
    QVERIFY(run.tc.readFile("ErrorLog.txt")
                .contains(QStringLiteral("\"%1_DataArrival in %2\",%3,\"TFTP error 0 from the "
                                         "device: Simulated fault\"")
                              .arg(socket, caption)
                              .arg(FailureNumber::DeviceReportedError)
                              .toLatin1()));
}

void TestDownloadDialogs::progressWhileRunning_data()
{
    addKindRows();
}

void TestDownloadDialogs::progressWhileRunning()
{
    QFETCH(int, kind);
    DialogRun run{DownloadKind(kind), TftpFault::DelayAck, 30};
    QVERIFY(run.simStarted);
    run.open();
    fillIn(run);
    run.fileBox()->setText(run.source(QStringLiteral("big.bin"), testBytes(4000)));
    auto *bar = run.dialog->findChild<QProgressBar *>(QStringLiteral("prgDownload"));
    QCOMPARE(bar->value(), 0);
    QTest::mouseClick(run.download(), Qt::LeftButton);
    QTRY_VERIFY(bar->value() > 0);
    QVERIFY(bar->value() < bar->maximum());
    QVERIFY(bar->format().endsWith(QStringLiteral(" of 4000 bytes")));
    QCOMPARE(run.cancel()->text(), QStringLiteral("Stop Download"));
    QTRY_COMPARE(run.tc.prompts.messageTexts(), QStringList{kDownloadSucceededText});
    QCOMPARE(bar->value(), 0);
    QVERIFY(bar->format().isEmpty());
}
