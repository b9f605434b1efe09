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

void TestDownloadDialogs::destinationsOffered_data()
{
    QTest::addColumn<QString>("infobase");    // the setting; Products.txt holds First and Second
    QTest::addColumn<QByteArray>("products"); // null: Products.txt as it is
    QTest::addColumn<QString>("endUser");
    QTest::addColumn<int>("answer");         // to the question, if one is asked
    QTest::addColumn<QStringList>("atLoad"); // messages
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("pick");           // the item chosen, or typed when not listed
    QTest::addColumn<QByteArray>("created");     // ProductInfobase.txt; null: none
    QTest::addColumn<QStringList>("atDownload"); // empty: no download tried
    QTest::addColumn<QString>("sentAs");         // the device file name; empty: nothing sent
    const QString success = kInformationTitle + "|None|" + kDownloadSucceededText;
    const QByteArray none;
    const QString question = kErrorTitle + QStringLiteral("|Exclamation|'Gone.txt' specified\r\n"
                                                          "in the INI file was not found!\r\n"
                                                          "Do you want a default file created?");
    const int yes = int(PromptAnswer::Yes);
    QTest::newRow("infobase") << "Products.txt" << none << "" << yes << QStringList()
                              << QStringList({"First", "Second"}) << "Second" << none
                              << QStringList{success} << "R2";
    // One fixed destination; the infobase is not even looked for.
    QTest::newRow("KVR") << "Missing.txt" << none << "KVR" << yes << QStringList()
                         << QStringList{"Default KVR"} << "Default KVR" << none
                         << QStringList{success} << "ROM";
    QTest::newRow("missing, Yes") << "  Gone.txt.old   " << none << "" << yes
                                  << QStringList{question} << QStringList{"Standard"} << "Standard"
                                  << ProductInfobase::defaultLine() << QStringList{success} << "3Q";
    QTest::newRow("missing, No") << "  Gone.txt.old   " << none << "" << int(PromptAnswer::No)
                                 << QStringList{question} << QStringList() << "Standard" << none
                                 << saidBy(ShowFileNotFoundMessage) << "";
    QTest::newRow("empty infobase")
        << "Products.txt" << QByteArray("") << "" << yes
        << QStringList{kErrorTitle + "|None|62\r\nInput past end of file"} << QStringList() << ""
        << none << QStringList() << "";
}

void TestDownloadDialogs::destinationsOffered()
{
    QFETCH(QString, infobase);
    QFETCH(QByteArray, products);
    QFETCH(QString, endUser);
    QFETCH(int, answer);
    QFETCH(QStringList, atLoad);
    QFETCH(QString, pick);
    QFETCH(QByteArray, created);
    QFETCH(QStringList, atDownload);
    QFETCH(QString, sentAs);
    DialogRun run(DownloadKind::Firmware);
    QVERIFY(run.simStarted);
    run.tc.context.settings.InfobaseFile = infobase;
    run.tc.context.settings.EndUser = endUser;
    if (!products.isNull())
        run.tc.writeFile("Products.txt", products);
    const bool asked = atLoad.value(0).contains("Do you want");
    if (asked)
        run.tc.prompts.answer(PromptAnswer(answer));
    run.open();
    QCOMPARE(said(run.tc.prompts), atLoad);
    if (asked)
        QCOMPARE(run.tc.prompts.shown().first().buttons, PromptButtons::YesNo);
    if (!products.isNull())
        QVERIFY(run.tc.readFile("ErrorLog.txt").contains("\"Form_Load in Load Firmware\",62,"));
    QTEST(items(run.destination()), "items");
    QCOMPARE(run.destination()->currentText(), items(run.destination()).value(0));
    QCOMPARE(run.destination()->isEditable(), endUser.isEmpty());
    if (!endUser.isEmpty()) // fixed: remembered from the start
        QCOMPARE(run.tc.context.memory.of<FirmwareChoices>().LastFWDestination, pick);
    QCOMPARE(run.tc.readFile("ProductInfobase.txt"), created);
    QVERIFY(!QFile::exists(run.tc.path("Missing.txt")));
    QVERIFY(!created.isNull() || !QFile::exists(run.tc.path("ProductInfobase.txt")));
    if (atDownload.isEmpty())
        return verifyDialogIdle(run);

    run.tc.prompts.clear();
    run.destination()->setCurrentText(pick);
    if (run.destination()->currentText() != pick)
        run.destination()->setEditText(pick);
    const QByteArray bytes = testBytes(3 * 512 + 77);
    run.fileBox()->setText("  " + run.source("fw.ROM", bytes) + " ");
    bool inspected = false;
    run.tc.prompts.duringNextPrompt([&] {
        inspected = true;
        verifyDialogIdle(run);
        QCOMPARE(run.dialog->findChild<QProgressBar *>("prgDownload")->value(), 0);
        QVERIFY(!run.dialog->findChild<UdpSocketControl *>("sckLoadFw")->isConnected());
    });
    QTest::mouseClick(run.download(), Qt::LeftButton);
    QTRY_COMPARE(said(run.tc.prompts), atDownload);
    QVERIFY(inspected);
    if (sentAs.isEmpty()) {
        QTest::qWait(30);
        QVERIFY(run.received().isEmpty());
        return;
    }
    QCOMPARE(run.received().first(), Tftp::writeRequest(sentAs));
    QCOMPARE(run.sim.storedFile(sentAs), bytes);
    QCOMPARE(run.tc.context.memory.of<FirmwareChoices>().LastFWDestination, pick);
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
