#include "TestDownloadDialogs.h"

#include "DialogChecks.h"
#include "DialogTestSupport.h"
#include "core/net/UdpSocketControl.h"
#include "core/support/SharedMessages.h"
#include "core/tftp/ProductInfobase.h"
#include "core/tftp/TftpPackets.h"
#include "gui/ToolTable.h"
#include "gui/download/DownloadChoices.h"
#include "gui/shell/DialogRegistry.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

void TestDownloadDialogs::successIsShownWhenIdle()
{
    DialogRun run(DownloadKind::Firmware);
    QVERIFY(run.simStarted);
    run.open();
    QCOMPARE(items(run.destination()), QStringList({"First", "Second"}));
    QCOMPARE(run.destination()->currentText(), QStringLiteral("First"));
    run.destination()->setCurrentIndex(1);
    const QByteArray bytes = testBytes(3 * 512 + 77);
    run.fileBox()->setText(QStringLiteral("  ") + run.source("fw.ROM", bytes) +
                           QStringLiteral(" "));

    bool inspected = false;
    run.tc.prompts.duringNextPrompt([&] {
        inspected = true;
        verifyDialogIdle(run);
        QCOMPARE(run.dialog->findChild<QProgressBar *>("prgDownload")->value(), 0);
        QVERIFY(!run.dialog->findChild<UdpSocketControl *>("sckLoadFw")->isConnected());
    });
    QTest::mouseClick(run.download(), Qt::LeftButton);
    QTRY_COMPARE(run.tc.prompts.count(), 1);
    QVERIFY(inspected);
    QCOMPARE(said(run.tc.prompts), QStringList{"Information|None|File download successful!"});
    QCOMPARE(run.received().first(), Tftp::writeRequest("R2"));
    QCOMPARE(run.sim.storedFile("R2"), bytes);
    QCOMPARE(run.tc.context.memory.of<FirmwareChoices>().LastFWDestination,
             QStringLiteral("Second"));
}

void TestDownloadDialogs::reopeningShowsLastChoices()
{
    DialogRun run(DownloadKind::Firmware);
    QVERIFY(run.simStarted);
    run.open();
    const QString image = run.source("image.ROM", testBytes(700));
    run.tc.prompts.choosePath(image);
    QTest::mouseClick(run.select(), Qt::LeftButton);
    run.address()->setText(QStringLiteral(" 127.0.0.1 "));
    run.destination()->setCurrentIndex(1);
    QVERIFY(downloadSucceeds(run));

    run.open();
    QCOMPARE(run.address()->text(), QStringLiteral("127.0.0.1"));
    QCOMPARE(run.fileBox()->text(), image);
    QCOMPARE(run.destination()->currentText(), QStringLiteral("Second"));
    // A remembered destination that the infobase no longer has is still shown.
    run.tc.writeFile("Products.txt", "\"R9\",\"Other\"\r\n");
    run.open();
    QCOMPARE(items(run.destination()), QStringList{"Other"});
    QCOMPARE(run.destination()->currentText(), QStringLiteral("Second"));
}

void TestDownloadDialogs::titleBarCloseUnloadsCancelOnlyHides()
{
    // Opened from the main window: Cancel hides the dialog and the next
    // opening shows the same one; closing it from the title bar unloads it and
    // the next opening loads the infobase again.
    DialogRun run(DownloadKind::Firmware);
    QWidget mainWindow;
    DialogRegistry dialogs(run.tc.context, &mainWindow);
    const auto tool =
        std::find_if(programTools().begin(), programTools().end(),
                     [](const ToolEntry &t) { return t.formName == "frmLoadFirmware"; });
    QVERIFY(tool != programTools().end());
    const auto listed = [&](QWidget *dialog) {
        return items(dialog->findChild<QComboBox *>(QStringLiteral("cboFWDestFile")));
    };
    QPointer<QWidget> first = dialogs.show(*tool);
    QCOMPARE(listed(first), QStringList({"First", "Second"}));
    run.tc.writeFile("Products.txt", "\"R9\",\"Other\"\r\n");

    QTest::mouseClick(first->findChild<QPushButton *>(QStringLiteral("cmdCancel")), Qt::LeftButton);
    QVERIFY(first->isHidden());
    QCOMPARE(dialogs.show(*tool), first.data());
    QCOMPARE(listed(first), QStringList({"First", "Second"}));

    first->close();
    QWidget *second = dialogs.show(*tool);
    QVERIFY(second && second != first.data());
    QCOMPARE(listed(second), QStringList{"Other"});
    QTRY_VERIFY(first.isNull());
    dialogs.closeAll();
}

void TestDownloadDialogs::noneInfobaseAppendsDefaultEachOpening()
{
    DialogRun run(DownloadKind::Firmware);
    QVERIFY(run.simStarted);
    run.tc.context.settings.InfobaseFile = QStringLiteral("none   ");
    const QByteArray line = ProductInfobase::defaultLine();
    run.open();
    QCOMPARE(run.tc.readFile("ProductInfobase.txt"), line);
    run.open();
    QCOMPARE(run.tc.readFile("ProductInfobase.txt"), line + line);
    QCOMPARE(items(run.destination()), QStringList{"Standard"});
    QCOMPARE(run.destination()->currentText(), QStringLiteral("Standard"));
    QCOMPARE(run.tc.prompts.count(), 0);

    run.fileBox()->setText(run.source("fw.ROM", testBytes(100)));
    QVERIFY(downloadSucceeds(run));
    QCOMPARE(run.received().first(), Tftp::writeRequest("3Q"));
}

void TestDownloadDialogs::fixedDestinationForKvr()
{
    DialogRun run(DownloadKind::Firmware);
    QVERIFY(run.simStarted);
    run.tc.context.settings.EndUser = QStringLiteral("KVR");
    run.tc.context.settings.InfobaseFile = QStringLiteral("Missing.txt");
    run.open();
    QCOMPARE(run.tc.prompts.count(), 0);
    QCOMPARE(items(run.destination()), QStringList{"Default KVR"});
    QCOMPARE(run.destination()->currentText(), QStringLiteral("Default KVR"));
    QVERIFY(!run.destination()->isEditable());
    QCOMPARE(run.tc.context.memory.of<FirmwareChoices>().LastFWDestination,
             QStringLiteral("Default KVR"));

    run.fileBox()->setText(run.source("fw.ROM", testBytes(600)));
    QVERIFY(downloadSucceeds(run));
    QCOMPARE(run.received().first(), QByteArray::fromHex("0002524f4d006f6374657400"));
    QVERIFY(!QFile::exists(run.tc.path("Missing.txt")));
    QVERIFY(!QFile::exists(run.tc.path("ProductInfobase.txt")));
}

void TestDownloadDialogs::missingInfobase_data()
{
    QTest::addColumn<bool>("createDefault");
    QTest::newRow("Yes") << true;
    QTest::newRow("No") << false;
}

void TestDownloadDialogs::missingInfobase()
{
    QFETCH(bool, createDefault);
    DialogRun run(DownloadKind::Firmware);
    QVERIFY(run.simStarted);
    run.tc.context.settings.InfobaseFile = QStringLiteral("  Gone.txt.old   ");
    run.tc.prompts.answer(createDefault ? PromptAnswer::Yes : PromptAnswer::No);
    run.open();
    QCOMPARE(said(run.tc.prompts),
             QStringList{"Error Condition|Exclamation|'Gone.txt' specified\r\nin the INI file was "
                         "not found!\r\nDo you want a default file created?"});
    QCOMPARE(run.tc.prompts.shown().first().buttons, PromptButtons::YesNo);
    QVERIFY(run.dialog->findChild<QTimer *>(QStringLiteral("tmrTFTP")));

    run.tc.prompts.clear();
    run.fileBox()->setText(run.source("fw.ROM", testBytes(100)));
    if (createDefault) {
        QCOMPARE(run.tc.readFile("ProductInfobase.txt"), ProductInfobase::defaultLine());
        QCOMPARE(items(run.destination()), QStringList{"Standard"});
        QVERIFY(downloadSucceeds(run));
        QCOMPARE(run.received().first(), Tftp::writeRequest("3Q"));
    } else {
        QVERIFY(!QFile::exists(run.tc.path("ProductInfobase.txt")));
        QCOMPARE(run.destination()->count(), 0);
        run.destination()->setEditText(QStringLiteral("Standard"));
        QTest::mouseClick(run.download(), Qt::LeftButton);
        QCOMPARE(said(run.tc.prompts), saidBy(ShowFileNotFoundMessage));
        QCOMPARE(run.cancel()->text(), QStringLiteral("Cancel"));
        QTest::qWait(30);
        QVERIFY(run.received().isEmpty());
    }
}

void TestDownloadDialogs::emptyInfobaseReportedAtLoad()
{
    DialogRun run(DownloadKind::Firmware);
    run.tc.writeFile("Products.txt", "");
    run.open();
    QCOMPARE(said(run.tc.prompts),
             QStringList{"Error Condition|None|62\r\nInput past end of file"});
    QVERIFY(run.tc.readFile("ErrorLog.txt").contains("\"Form_Load in Load Firmware\",62,"));
    QCOMPARE(run.destination()->count(), 0);
    auto *timer = run.dialog->findChild<QTimer *>(QStringLiteral("tmrTFTP"));
    QVERIFY(timer && !timer->isActive());
}
