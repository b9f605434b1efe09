#include "DialogTestSupport.h"

#include "core/support/SharedMessages.h"
#include "gui/download/LoadFirmwareDialog.h"
#include "gui/download/LoadWebPagesDialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

const DownloadNames &namesOf(DownloadKind kind)
{
    static const DownloadNames firmware{
        "frmLoadFirmware",
        "txtFWFile",
        "cmdSelectFWFile",
        "cboFWDestFile",
        "cmdDownloadFWFile",
        "sckLoadFw",
        "ROM Files (*.ROM)|*.ROM|All Files (*.*)|*.*",
        "Destination File must be specified\r\nto perform download. Please select\r\n"
        "the corresponding Destination File.",
        "Source FW File must be specified\r\nto perform download. Please select\r\n"
        "the appropriate FW file.",
        "cmdDownloadFWFile_Click in Load Firmware"};
    static const DownloadNames web{
        "frmLoadWebPages",
        "txtWebFile",
        "cmdSelectWebFile",
        "cboWebDirectory",
        "cmdDownloadWebFile",
        "sckLoadWeb",
        "WPK Files (*.WPK)|*.WPK|All Files (*.*)|*.*",
        "Web Directory must be specified\r\nto perform download. Please select\r\n"
        "the corresponding Web Directory.",
        "Source Web File must be specified\r\nto perform download. Please select\r\n"
        "the appropriate Web File.",
        "cmdDownloadWebFile_Click in Load WebPages"};
    return kind == DownloadKind::Firmware ? firmware : web;
}

std::unique_ptr<QWidget> makeDownloadDialog(DownloadKind kind, AppContext &context)
{
    if (kind == DownloadKind::Firmware)
        return std::make_unique<LoadFirmwareDialog>(context);
    return std::make_unique<LoadWebPagesDialog>(context);
}

DialogRun::DialogRun(DownloadKind k, TftpFault fault, int ackDelayMs) : kind(k)
{
    sim.options.fault = fault;
    sim.options.ackDelayMs = ackDelayMs;
    simStarted = sim.start();
    sim.pointAt(tc.context);
    tc.context.currentDeviceAddress = QStringLiteral("127.0.0.1");
    tc.context.settings.InfobaseFile = QStringLiteral("Products.txt");
    tc.writeFile("Products.txt", "\"R1\",\"First\"\r\n\"R2\",\"Second\"\r\n");
}

void DialogRun::open()
{
    dialog.reset();
    dialog = makeDownloadDialog(kind, tc.context);
}

QString DialogRun::source(const QString &name, const QByteArray &bytes)
{
    tc.writeFile(name, bytes);
    return tc.path(name);
}

QByteArray testBytes(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + i / 997) & 0xFF);
    return bytes;
}

void addKindRows()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("firmware") << int(DownloadKind::Firmware);
    QTest::newRow("web") << int(DownloadKind::WebPages);
}

void fillIn(DialogRun &run)
{
    run.address()->setText(QStringLiteral("127.0.0.1"));
    run.destination()->setCurrentIndex(0);
    run.fileBox()->setText(run.source(QStringLiteral("source.bin"), testBytes(1500)));
}

void verifyDialogIdle(DialogRun &run)
{
    QCOMPARE(run.cancel()->text(), QStringLiteral("Cancel"));
    QVERIFY(run.download()->isEnabled());
    QCOMPARE(run.dialog->cursor().shape(), Qt::ArrowCursor);
    auto *timer = run.dialog->findChild<QTimer *>(QStringLiteral("tmrTFTP"));
    QVERIFY(timer && !timer->isActive());
    QCOMPARE(timer->interval(), 0);
}

bool downloadSucceeds(DialogRun &run)
{
    QTest::mouseClick(run.download(), Qt::LeftButton);
    return QTest::qWaitFor(
        [&run] { return run.tc.prompts.messageTexts() == QStringList{kDownloadSucceededText}; });
}

QStringList items(const QComboBox *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->itemText(i);
    return texts;
}
