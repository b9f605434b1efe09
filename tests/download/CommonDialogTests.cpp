#include "TestDownloadDialogs.h"

#include "DialogTestSupport.h"
#include "platform/UdpSocketControl.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

void kindRows()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("firmware") << int(DownloadKind::Firmware);
    QTest::newRow("web") << int(DownloadKind::WebPages);
}

// Address, destination and source filled in so that a download would start.
void fillIn(DialogRun &run)
{
    run.address()->setText(QStringLiteral("127.0.0.1"));
    run.destination()->setCurrentIndex(0);
    run.fileBox()->setText(run.source(QStringLiteral("source.bin"), testBytes(1500)));
}

void verifyIdle(DialogRun &run)
{
    QCOMPARE(run.cancel()->text(), QStringLiteral("Cancel"));
    QVERIFY(run.download()->isEnabled());
    QCOMPARE(run.dialog->cursor().shape(), Qt::ArrowCursor);
    auto *timer = run.dialog->findChild<QTimer *>(QStringLiteral("tmrTFTP"));
    QVERIFY(timer && !timer->isActive());
    QCOMPARE(timer->interval(), 0);
}

QString &lastFile(DialogRun &run)
{
    return run.kind == DownloadKind::Firmware ? run.tc.context.downloads.LastFWFile
                                              : run.tc.context.downloads.LastWebFile;
}

const QString kErrorTitle = QStringLiteral("Error Condition");

} // namespace

void TestDownloadDialogs::controlsAndCaptions_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("caption");
    const auto f = int(DownloadKind::Firmware);
    const auto w = int(DownloadKind::WebPages);
    const QList<std::tuple<int, const char *, const char *, const char *>> rows = {
        {f, "fraSource", "QGroupBox", "Source"},
        {f, "lblFWFile", "QLabel", "FW File:"},
        {f, "txtFWFile", "QLineEdit", ""},
        {f, "cmdSelectFWFile", "QPushButton", "Select FW File"},
        {f, "fraDestination", "QGroupBox", "Target"},
        {f, "lblIPAddress", "QLabel", "IP Address:"},
        {f, "txtIPAddress", "QLineEdit", "127.0.0.1"},
        {f, "lblFile", "QLabel", "Existing Firmware:"},
        {f, "cboFWDestFile", "QComboBox", "First"},
        {f, "cmdDownloadFWFile", "QPushButton", "Download FW File"},
        {f, "cmdCancel", "QPushButton", "Cancel"},
        {f, "prgDownload", "QProgressBar", ""},
        {f, "sckLoadFw", "UdpSocketControl", ""},
        {f, "tmrTFTP", "QTimer", ""},
        {w, "fraSource", "QGroupBox", "Source"},
        {w, "lblWebFile", "QLabel", "Web File:"},
        {w, "txtWebFile", "QLineEdit", ""},
        {w, "cmdSelectWebFile", "QPushButton", "Select Web File"},
        {w, "fraDestination", "QGroupBox", "Target"},
        {w, "lblIPAddress", "QLabel", "IP Address:"},
        {w, "txtIPAddress", "QLineEdit", "127.0.0.1"},
        {w, "lblWebDirectory", "QLabel", "Destination Directory:"},
        {w, "cboWebDirectory", "QComboBox", "WEB6"},
        {w, "cmdDownloadWebFile", "QPushButton", "Download Web File"},
        {w, "cmdCancel", "QPushButton", "Cancel"},
        {w, "prgDownload", "QProgressBar", ""},
        {w, "sckLoadWeb", "UdpSocketControl", ""},
        {w, "tmrTFTP", "QTimer", ""},
    };
    for (const auto &[kind, name, className, caption] : rows)
        QTest::addRow("%s %s", kind == f ? "firmware" : "web", name)
            << kind << QString::fromLatin1(name) << QString::fromLatin1(className)
            << QString::fromLatin1(caption);
}

void TestDownloadDialogs::controlsAndCaptions()
{
    QFETCH(int, kind);
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, caption);
    DialogRun run{DownloadKind(kind)};
    run.open();
    const bool firmware = DownloadKind(kind) == DownloadKind::Firmware;
    QCOMPARE(run.dialog->objectName(), namesOf(DownloadKind(kind)).form);
    QCOMPARE(run.dialog->windowTitle(),
             firmware ? QStringLiteral("Load Firmware") : QStringLiteral("Load WebPages"));
    QObject *control = run.dialog->findChild<QObject *>(name);
    QVERIFY2(control, qPrintable(name));
    QVERIFY(control->inherits(className.toLatin1().constData()));
    QString shown;
    if (auto *group = qobject_cast<QGroupBox *>(control))
        shown = group->title();
    else if (auto *combo = qobject_cast<QComboBox *>(control))
        shown = combo->currentText();
    else if (control->property("text").isValid() && !qobject_cast<QProgressBar *>(control))
        shown = control->property("text").toString();
    QCOMPARE(shown, caption);
}

void TestDownloadDialogs::inputChecks_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("emptyField"); // 0 address, 1 destination, 2 source
    QTest::addColumn<QString>("text");
    const QString address = QStringLiteral("Destination IP Address must be\r\n"
                                           "specified to perform download.\r\n"
                                           "Please enter the target's IP Address.");
    for (const auto kind : {DownloadKind::Firmware, DownloadKind::WebPages}) {
        const char *k = kind == DownloadKind::Firmware ? "firmware" : "web";
        QTest::addRow("%s address", k) << int(kind) << 0 << address;
        QTest::addRow("%s destination", k) << int(kind) << 1 << namesOf(kind).destinationMissing;
        QTest::addRow("%s source", k) << int(kind) << 2 << namesOf(kind).sourceMissing;
    }
}

void TestDownloadDialogs::inputChecks()
{
    QFETCH(int, kind);
    QFETCH(int, emptyField);
    QFETCH(QString, text);
    DialogRun run{DownloadKind(kind)};
    QVERIFY(run.simStarted);
    run.open();
    run.dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(run.dialog.get()));
    fillIn(run);
    QWidget *field[] = {run.address(), run.destination(), run.fileBox()};
    if (emptyField == 1)
        run.destination()->setEditText(QString());
    else
        qobject_cast<QLineEdit *>(field[emptyField])->clear();
    run.download()->setFocus();
    QTest::mouseClick(run.download(), Qt::LeftButton);

    const auto messages = run.tc.prompts.messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].title, kErrorTitle);
    QCOMPARE(messages[0].text, text);
    QCOMPARE(messages[0].icon, PromptIcon::Exclamation);
    QTRY_VERIFY(field[emptyField]->hasFocus());
    QTest::qWait(30);
    QVERIFY(run.received().isEmpty());
    verifyIdle(run);
}

void TestDownloadDialogs::enterKeyMovesFocus_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("from"); // 0 address, 1 destination, 2 source
    for (const auto kind : {DownloadKind::Firmware, DownloadKind::WebPages}) {
        const char *k = kind == DownloadKind::Firmware ? "firmware" : "web";
        QTest::addRow("%s address", k) << int(kind) << 0;
        QTest::addRow("%s destination", k) << int(kind) << 1;
        QTest::addRow("%s source", k) << int(kind) << 2;
    }
}

void TestDownloadDialogs::enterKeyMovesFocus()
{
    QFETCH(int, kind);
    QFETCH(int, from);
    DialogRun run{DownloadKind(kind)};
    run.open();
    run.dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(run.dialog.get()));
    run.address()->setText(QStringLiteral(" 127.0.0.2 "));
    QWidget *fields[] = {run.address(), run.destination(), run.fileBox()};
    QWidget *next[] = {run.destination(), run.select(), run.download()};
    fields[from]->setFocus();
    QTest::keyClick(fields[from], Qt::Key_Return);
    QTRY_VERIFY(next[from]->hasFocus());
    QCOMPARE(run.tc.prompts.count(), 0);
    QCOMPARE(run.tc.context.currentDeviceAddress,
             from == 0 ? QStringLiteral("127.0.0.2") : QStringLiteral("127.0.0.1"));
    QVERIFY(run.received().isEmpty()); // Enter never reaches the download button
}

void TestDownloadDialogs::invalidAddressOnEnter_data()
{
    kindRows();
}

void TestDownloadDialogs::invalidAddressOnEnter()
{
    QFETCH(int, kind);
    DialogRun run{DownloadKind(kind)};
    run.open();
    run.address()->setText(QStringLiteral("240.0.0.1"));
    QTest::keyClick(run.address(), Qt::Key_Return);
    QCOMPARE(run.tc.prompts.messageTexts(),
             QStringList{"Invalid range for IP address!\r\nPlease enter new address."});
    QVERIFY(run.address()->text().isEmpty());
    QCOMPARE(run.tc.context.currentDeviceAddress, QStringLiteral("127.0.0.1"));
}

void TestDownloadDialogs::selectFileDialog_data()
{
    kindRows();
}

void TestDownloadDialogs::selectFileDialog()
{
    QFETCH(int, kind);
    DialogRun run{DownloadKind(kind)};
    run.open();
    run.dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(run.dialog.get()));
    const QString real = run.source(QStringLiteral("image.bin"), testBytes(10));
    run.tc.prompts.choosePath(run.tc.path(QStringLiteral("nofolder/x.bin")));
    run.tc.prompts.choosePath(run.tc.path(QStringLiteral("nothere.bin")));
    run.tc.prompts.choosePath(real);
    QTest::mouseClick(run.select(), Qt::LeftButton);

    const auto &shown = run.tc.prompts.shown();
    QCOMPARE(shown.size(), 5);
    QCOMPARE(shown[0].kind, ScriptedPrompts::Shown::OpenFile);
    QCOMPARE(shown[0].title, QStringLiteral("Open"));
    QCOMPARE(shown[0].request.filter, namesOf(DownloadKind(kind)).filter);
    QCOMPARE(shown[0].request.initialFolder, run.tc.folder() + QStringLiteral("/Firmware"));
    QCOMPARE(shown[1].text, QStringLiteral("Path not found!\r\nSpecify another path."));
    QCOMPARE(shown[2].kind, ScriptedPrompts::Shown::OpenFile);
    QCOMPARE(shown[3].text, QStringLiteral("File not found!\r\nSelect another file."));
    QCOMPARE(shown[4].kind, ScriptedPrompts::Shown::OpenFile);
    QCOMPARE(run.fileBox()->text(), real);
    QCOMPARE(lastFile(run), real);
    QTRY_VERIFY(run.download()->hasFocus());

    // Next time the dialog starts at the last file; a cancel changes nothing.
    run.tc.prompts.clear();
    run.fileBox()->setText(QStringLiteral("typed.bin"));
    run.tc.prompts.cancelFileDialog();
    QTest::mouseClick(run.select(), Qt::LeftButton);
    QCOMPARE(run.tc.prompts.count(), 1);
    QCOMPARE(run.tc.prompts.shown()[0].request.initialName, real);
    QCOMPARE(run.fileBox()->text(), QStringLiteral("typed.bin"));
    QCOMPARE(lastFile(run), real);
}

void TestDownloadDialogs::activationShowsCurrentAddress_data()
{
    kindRows();
}

void TestDownloadDialogs::activationShowsCurrentAddress()
{
    QFETCH(int, kind);
    DialogRun run{DownloadKind(kind)};
    run.open();
    QCOMPARE(run.address()->text(), QStringLiteral("127.0.0.1"));
    run.tc.context.currentDeviceAddress = QStringLiteral("10.1.2.3");
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(run.dialog.get(), &activate);
    QCOMPARE(run.address()->text(), QStringLiteral("10.1.2.3"));
}

void TestDownloadDialogs::missingSourceFile_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("text");
    const QString file = QStringLiteral("File not found!\r\nSelect another file.");
    const QString path = QStringLiteral("Path not found!\r\nSpecify another path.");
    QTest::newRow("firmware file") << int(DownloadKind::Firmware) << "gone.ROM" << file;
    QTest::newRow("firmware folder") << int(DownloadKind::Firmware) << "gone/x.ROM" << path;
    QTest::newRow("web file") << int(DownloadKind::WebPages) << "gone.WPK" << file;
    QTest::newRow("web folder") << int(DownloadKind::WebPages) << "gone/x.WPK" << path;
}

void TestDownloadDialogs::missingSourceFile()
{
    QFETCH(int, kind);
    QFETCH(QString, file);
    QFETCH(QString, text);
    DialogRun run{DownloadKind(kind)};
    QVERIFY(run.simStarted);
    run.open();
    fillIn(run);
    run.fileBox()->setText(run.tc.path(file));
    QTest::mouseClick(run.download(), Qt::LeftButton);
    QCOMPARE(run.tc.prompts.messageTexts(), QStringList{text});
    verifyIdle(run);
    QTest::qWait(30);
    QVERIFY(run.received().isEmpty());
}

void TestDownloadDialogs::blankAddressIsReportedByTheTrap_data()
{
    kindRows();
}

void TestDownloadDialogs::blankAddressIsReportedByTheTrap()
{
    // Blanks pass the "must be specified" check but are no address.
    QFETCH(int, kind);
    DialogRun run{DownloadKind(kind)};
    run.open();
    fillIn(run);
    run.address()->setText(QStringLiteral("   "));
    QTest::mouseClick(run.download(), Qt::LeftButton);
    const auto messages = run.tc.prompts.messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].title, kErrorTitle);
    QCOMPARE(messages[0].icon, PromptIcon::Critical);
    QVERIFY(messages[0].text.startsWith(QStringLiteral("10001\r\n")));
    QVERIFY(
        run.tc.readFile("ErrorLog.txt")
            .contains("\"" + namesOf(DownloadKind(kind)).downloadPlace.toLatin1() + "\",10001,"));
    verifyIdle(run);
}

void TestDownloadDialogs::cancelWhileIdleHides_data()
{
    kindRows();
}

void TestDownloadDialogs::cancelWhileIdleHides()
{
    QFETCH(int, kind);
    DialogRun run{DownloadKind(kind)};
    run.open();
    run.dialog->show();
    QTest::mouseClick(run.cancel(), Qt::LeftButton);
    QVERIFY(!run.dialog->isVisible());
    auto *socket = run.dialog->findChild<UdpSocketControl *>(namesOf(DownloadKind(kind)).socket);
    QVERIFY(socket && !socket->isConnected());
    QCOMPARE(run.tc.prompts.count(), 0);
}

void TestDownloadDialogs::stopDownloadEndsTheTransfer_data()
{
    kindRows();
}

void TestDownloadDialogs::stopDownloadEndsTheTransfer()
{
    QFETCH(int, kind);
    DialogRun run{DownloadKind(kind), TftpFault::NeverAck};
    QVERIFY(run.simStarted);
    run.open();
    run.dialog->show();
    fillIn(run);
    QTest::mouseClick(run.download(), Qt::LeftButton);
    QCOMPARE(run.cancel()->text(), QStringLiteral("Stop Download"));
    QVERIFY(!run.download()->isEnabled());
    QCOMPARE(run.dialog->cursor().shape(), Qt::WaitCursor);
    QTRY_COMPARE(run.received().size(), 1);
    QTest::mouseClick(run.cancel(), Qt::LeftButton);
    verifyIdle(run);
    QVERIFY(run.dialog->isVisible());
    auto *socket = run.dialog->findChild<UdpSocketControl *>(namesOf(DownloadKind(kind)).socket);
    QVERIFY(!socket->isConnected());
    QCOMPARE(run.tc.prompts.count(), 0);
}

void TestDownloadDialogs::closingEndsTheTransfer()
{
    DialogRun run(DownloadKind::Firmware, TftpFault::NeverAck);
    QVERIFY(run.simStarted);
    run.open();
    run.dialog->show();
    fillIn(run);
    QTest::mouseClick(run.download(), Qt::LeftButton);
    QTRY_COMPARE(run.received().size(), 1);
    run.dialog->close();
    QVERIFY(!run.dialog->isVisible());
    verifyIdle(run);
    QVERIFY(!run.dialog->findChild<UdpSocketControl *>("sckLoadFw")->isConnected());
}

void TestDownloadDialogs::errorPacketThenTimeout_data()
{
    kindRows();
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
    QTRY_COMPARE(run.tc.prompts.count(), 2);
    const auto messages = run.tc.prompts.messages();
    QCOMPARE(messages[0].title, QStringLiteral("Transmit"));
    QCOMPARE(messages[0].text, QStringLiteral("No Ack!"));
    QCOMPARE(messages[0].icon, PromptIcon::Information);
    QCOMPARE(messages[1].title, kErrorTitle);
    QCOMPARE(messages[1].text, QStringLiteral("Download timeout to the device!\r\n"
                                              "Cancel the file download\r\nand try again."));
    QCOMPARE(messages[1].icon, PromptIcon::None);
    verifyIdle(run);
}

void TestDownloadDialogs::progressWhileRunning_data()
{
    kindRows();
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
    QTRY_COMPARE(run.tc.prompts.messageTexts(), QStringList{"File download successful!"});
    QCOMPARE(bar->value(), 0);
    QVERIFY(bar->format().isEmpty());
}
