#include "TestDownloadDialogs.h"

#include "DialogTestSupport.h"
#include "core/net/UdpSocketControl.h"
#include "gui/download/DownloadChoices.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

QString &lastFile(DialogRun &run)
{
    return run.kind == DownloadKind::Firmware
               ? run.tc.context.memory.of<FirmwareChoices>().LastFWFile
               : run.tc.context.memory.of<WebPageChoices>().LastWebFile;
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
    verifyDialogIdle(run);
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
    addKindRows();
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
    addKindRows();
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
    addKindRows();
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

    // An address typed here outlives the activations that message boxes,
    // the file dialog and other programs bring, until another dialog
    // enters a new one.
    run.address()->setText(QStringLiteral("10.9.9.9"));
    QCoreApplication::sendEvent(run.dialog.get(), &activate);
    QCOMPARE(run.address()->text(), QStringLiteral("10.9.9.9"));
    run.tc.context.currentDeviceAddress = QStringLiteral("10.4.4.4");
    QCoreApplication::sendEvent(run.dialog.get(), &activate);
    QCOMPARE(run.address()->text(), QStringLiteral("10.4.4.4"));
}
