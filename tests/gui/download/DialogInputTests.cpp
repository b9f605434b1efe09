#include "TestDownloadDialogs.h"

#include "DialogChecks.h"
#include "DialogTestSupport.h"
#include "core/net/UdpSocketControl.h"
#include "core/support/SharedMessages.h"
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

} // namespace

void TestDownloadDialogs::controlsAndCaptions_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("caption");
    const auto f = int(DownloadKind::Firmware);
    const auto w = int(DownloadKind::WebPages);
    const auto b = -1; // both dialogs
    const QList<std::tuple<int, const char *, const char *, const char *>> rows = {
        {b, "fraSource", "QGroupBox", "Source"},
        {b, "fraDestination", "QGroupBox", "Target"},
        {b, "lblIPAddress", "QLabel", "IP Address:"},
        {b, "txtIPAddress", "QLineEdit", "127.0.0.1"},
        {b, "cmdCancel", "QPushButton", "Cancel"},
        {b, "prgDownload", "QProgressBar", ""},
        {b, "tmrTFTP", "QTimer", ""},
        {f, "lblFWFile", "QLabel", "FW File:"},
        {f, "txtFWFile", "QLineEdit", ""},
        {f, "cmdSelectFWFile", "QPushButton", "Select FW File"},
        {f, "lblFile", "QLabel", "Existing Firmware:"},
        {f, "cboFWDestFile", "QComboBox", "First"},
        {f, "cmdDownloadFWFile", "QPushButton", "Download FW File"},
        {f, "sckLoadFw", "UdpSocketControl", ""},
        {w, "lblWebFile", "QLabel", "Web File:"},
        {w, "txtWebFile", "QLineEdit", ""},
        {w, "cmdSelectWebFile", "QPushButton", "Select Web File"},
        {w, "lblWebDirectory", "QLabel", "Destination Directory:"},
        {w, "cboWebDirectory", "QComboBox", "WEB6"},
        {w, "cmdDownloadWebFile", "QPushButton", "Download Web File"},
        {w, "sckLoadWeb", "UdpSocketControl", ""},
    };
    for (const auto &[kinds, name, className, caption] : rows)
        for (const int kind : {f, w})
            if (kinds == b || kinds == kind)
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

void TestDownloadDialogs::downloadRefused_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("field"); // 0 address, 1 destination, 2 source (in the program folder)
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("focus");     // the field gets the focus
    QTest::addColumn<QByteArray>("log"); // in the error log, when not empty
    const QString error = kErrorTitle + "|";
    const QString address = error + "Exclamation|Destination IP Address must be\r\n"
                                    "specified to perform download.\r\n"
                                    "Please enter the target's IP Address.";
    for (const auto kind : {DownloadKind::Firmware, DownloadKind::WebPages}) {
        const DownloadNames &n = namesOf(kind);
        const char *k = kind == DownloadKind::Firmware ? "firmware" : "web";
        const int i = int(kind);
        QTest::addRow("%s, no address", k)
            << i << 0 << "" << QStringList{address} << true << QByteArray();
        QTest::addRow("%s, no destination", k)
            << i << 1 << "" << QStringList{error + "Exclamation|" + n.destinationMissing} << true
            << QByteArray();
        QTest::addRow("%s, no source", k)
            << i << 2 << "" << QStringList{error + "Exclamation|" + n.sourceMissing} << true
            << QByteArray();
        QTest::addRow("%s, source missing", k)
            << i << 2 << "gone.bin" << saidBy(ShowFileNotFoundMessage) << false << QByteArray();
        QTest::addRow("%s, source folder missing", k)
            << i << 2 << "gone/x.bin" << saidBy(ShowPathNotFoundMessage) << false << QByteArray();
        // Blanks pass the "must be specified" check but are no address.
        QTest::addRow("%s, blank address", k)
            << i << 0 << "   " << QStringList{error + "Critical|10001\r\n*"} << false
            << "\"" + n.downloadPlace.toLatin1() + "\",10001,";
    }
    QTest::newRow("firmware, destination not in the infobase")
        << int(DownloadKind::Firmware) << 1 << " Third "
        << QStringList{error + "None|Did not find the Destination File selected\r\n"
                               "'Third' in the Product Infobase.\r\n"
                               "Please select another file and try again."}
        << false << QByteArray();
    QTest::newRow("web, unsendable directory name")
        << int(DownloadKind::WebPages) << 1 << "WEB\u20ac"
        << QStringList{error + "Critical|52\r\n*", error +
                                                       "None|Error sending UDP Write Request!\r\n"
                                                       "Cancel the file download and try again."}
        << false << QByteArray("\"UDP_WriteReq function in TFTP\",52,");
}

// Nothing reaches the device and the dialog is idle again.
void TestDownloadDialogs::downloadRefused()
{
    QFETCH(int, kind);
    QFETCH(int, field);
    QFETCH(QString, value);
    QFETCH(QStringList, messages);
    QFETCH(bool, focus);
    QFETCH(QByteArray, log);
    DialogRun run{DownloadKind(kind)};
    QVERIFY(run.simStarted);
    run.open();
    run.dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(run.dialog.get()));
    fillIn(run);
    QWidget *fields[] = {run.address(), run.destination(), run.fileBox()};
    if (field == 1)
        run.destination()->setEditText(value);
    else
        qobject_cast<QLineEdit *>(fields[field])
            ->setText(field == 2 && !value.isEmpty() ? run.tc.path(value) : value);
    run.download()->setFocus();
    QTest::mouseClick(run.download(), Qt::LeftButton);
    QTRY_COMPARE(said(run.tc.prompts, messages), messages);
    if (focus)
        QTRY_VERIFY(fields[field]->hasFocus());
    if (!log.isEmpty())
        QVERIFY(run.tc.readFile("ErrorLog.txt").contains(log));
    QTest::qWait(30);
    QVERIFY(run.received().isEmpty());
    verifyDialogIdle(run);
}

void TestDownloadDialogs::enterKeyMovesFocus_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("from"); // 0 address, 1 destination, 2 source
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("to"); // 0 address, 1 destination, 2 select, 3 download
    QTest::addColumn<QString>("current");
    for (const auto kind : {DownloadKind::Firmware, DownloadKind::WebPages}) {
        const char *k = kind == DownloadKind::Firmware ? "firmware" : "web";
        QTest::addRow("%s address", k) << int(kind) << 0 << " 127.0.0.2 " << 1 << "127.0.0.2";
        QTest::addRow("%s destination", k) << int(kind) << 1 << " 127.0.0.2 " << 2 << "127.0.0.1";
        QTest::addRow("%s source", k) << int(kind) << 2 << " 127.0.0.2 " << 3 << "127.0.0.1";
        // Refused with the shared message, the box emptied.
        QTest::addRow("%s invalid address", k) << int(kind) << 0 << "240.0.0.1" << 0 << "127.0.0.1";
    }
}

void TestDownloadDialogs::enterKeyMovesFocus()
{
    QFETCH(int, kind);
    QFETCH(int, from);
    QFETCH(QString, address);
    QFETCH(int, to);
    DialogRun run{DownloadKind(kind)};
    run.open();
    run.dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(run.dialog.get()));
    run.address()->setText(address);
    QWidget *fields[] = {run.address(), run.destination(), run.fileBox()};
    QWidget *next[] = {run.address(), run.destination(), run.select(), run.download()};
    fields[from]->setFocus();
    QTest::keyClick(fields[from], Qt::Key_Return);
    QTRY_VERIFY(next[to]->hasFocus());
    const bool refused = from == to;
    QCOMPARE(said(run.tc.prompts), refused ? saidBy(ShowInvalidIPAddressMessage) : QStringList());
    QCOMPARE(run.address()->text().isEmpty(), refused);
    QTEST(run.tc.context.currentDeviceAddress, "current");
    QVERIFY(run.received().isEmpty()); // Enter never reaches the download button
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
    QCOMPARE(said(run.tc.prompts),
             saidBy(ShowPathNotFoundMessage) + saidBy(ShowFileNotFoundMessage));
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
