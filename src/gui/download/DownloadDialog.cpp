#include "gui/download/DownloadDialog.h"

#include "core/session/AppContext.h"
#include "core/session/EngineOptions.h"
#include "core/support/ErrorTrap.h"
#include "core/support/FileDialogLoop.h"
#include "core/support/Prompts.h"
#include "core/support/SharedMessages.h"
#include "gui/download/TransferProgressBar.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Failures of the file-handling clicks that have their own message.
bool expectedFileFailure(Prompts &prompts, const Failure &failure)
{
    switch (failure.number()) {
    case FailureNumber::FileNotFound:
        ShowFileNotFoundMessage(prompts);
        return true;
    case FailureNumber::PathNotFound:
        ShowPathNotFoundMessage(prompts);
        return true;
    case FailureNumber::DialogCancelled:
        return true;
    default:
        return false;
    }
}

// A path typed into the file dialog may name nothing; treat it as the
// dialog's own not-found failures so the dialog is offered again.
void requireExistingFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.dir().exists())
        throw Failure(FailureNumber::PathNotFound, QStringLiteral("Path not found"));
    if (!info.isFile())
        throw Failure(FailureNumber::FileNotFound, QStringLiteral("File not found"));
}

} // namespace

DownloadDialog::DownloadDialog(AppContext &context, const DownloadDialogTexts &texts,
                               QWidget *parent)
    : ToolDialog(context, texts.formName, texts.caption, parent), m_texts(texts),
      m_transfer(tftpTransferOptions(context), this)
{
    // Closed from its title bar the dialog is unloaded, so the next opening
    // loads it afresh (the infobase too); Cancel only hides it.
    setAttribute(Qt::WA_DeleteOnClose);
    m_transfer.socket().setObjectName(texts.socketName);
    m_transfer.timer().setObjectName(QStringLiteral("tmrTFTP"));
    buildControls();
    connectTransfer();

    onEnter(m_address, [this] {
        if (checkAddressBox(m_address))
            m_destination->setFocus();
    });
    onEnter(m_destination, [this] { m_select->setFocus(); });
    onEnter(m_fileBox, [this] { m_download->setFocus(); });
    m_fileBox->installEventFilter(this);
    followCurrentAddress(m_address);
    connect(m_select, &QPushButton::clicked, this, &DownloadDialog::selectClicked);
    connect(m_download, &QPushButton::clicked, this, &DownloadDialog::downloadClicked);
    connect(m_cancel, &QPushButton::clicked, this, &DownloadDialog::cancelClicked);
}

void DownloadDialog::buildControls()
{
    auto *source = new QGroupBox(QStringLiteral("Source"), this);
    source->setObjectName(QStringLiteral("fraSource"));
    m_fileLabel = new QLabel(m_texts.fileLabelCaption, source);
    m_fileLabel->setObjectName(m_texts.fileLabelName);
    m_fileBox = new QLineEdit(source);
    m_fileBox->setObjectName(m_texts.fileBoxName);
    m_fileBox->setMinimumWidth(260);
    m_select = new QPushButton(m_texts.selectCaption, source);
    m_select->setObjectName(m_texts.selectName);
    auto *sourceGrid = new QGridLayout(source);
    sourceGrid->addWidget(m_fileLabel, 0, 0);
    sourceGrid->addWidget(m_fileBox, 0, 1);
    sourceGrid->addWidget(m_select, 0, 2);

    auto *target = new QGroupBox(QStringLiteral("Target"), this);
    target->setObjectName(QStringLiteral("fraDestination"));
    auto *addressLabel = new QLabel(QStringLiteral("IP Address:"), target);
    addressLabel->setObjectName(QStringLiteral("lblIPAddress"));
    m_address = new QLineEdit(target);
    m_address->setObjectName(QStringLiteral("txtIPAddress"));
    auto *destinationLabel = new QLabel(m_texts.destinationLabelCaption, target);
    destinationLabel->setObjectName(m_texts.destinationLabelName);
    m_destination = new QComboBox(target);
    m_destination->setObjectName(m_texts.destinationName);
    m_destination->setEditable(true);
    m_destination->setInsertPolicy(QComboBox::NoInsert);
    auto *targetGrid = new QGridLayout(target);
    targetGrid->addWidget(addressLabel, 0, 0);
    targetGrid->addWidget(m_address, 0, 1);
    targetGrid->addWidget(destinationLabel, 1, 0);
    targetGrid->addWidget(m_destination, 1, 1);

    m_progress = new TransferProgressBar(this);
    m_progress->setObjectName(QStringLiteral("prgDownload"));

    m_download = new QPushButton(m_texts.downloadCaption, this);
    m_download->setObjectName(m_texts.downloadName);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_download);
    buttons->addWidget(m_cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(source);
    layout->addWidget(target);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);
}

void DownloadDialog::connectTransfer()
{
    connect(&m_transfer, &TftpTransfer::busyChanged, this, &DownloadDialog::setBusy);
    connect(&m_transfer, &TftpTransfer::downloadStarted, this, [this] {
        m_cancel->setText(QStringLiteral("Stop Download"));
        m_download->setEnabled(false);
    });
    connect(&m_transfer, &TftpTransfer::becameIdle, this, [this] {
        m_cancel->setText(QStringLiteral("Cancel"));
        m_download->setEnabled(true);
        m_progress->clear();
    });
    connect(&m_transfer, &TftpTransfer::failureTrapped, this,
            [this](const QString &place, const Failure &failure) {
                reportFailure(context().paths.errorLog, context().prompts, place, failure);
            });
    connect(&m_transfer, &TftpTransfer::writeRequestFailed, this, [this] {
        prompts().message(kErrorTitle,
                          QStringLiteral("Error sending UDP Write Request!\r\n"
                                         "Cancel the file download and try again."),
                          PromptIcon::None);
    });
    // The box says only "No Ack!"; the log tells why.
    connect(&m_transfer, &TftpTransfer::deviceReportedError, this, [this](const Failure &failure) {
        reportFailure(context().paths.errorLog, context().prompts,
                      m_texts.socketName + QStringLiteral("_DataArrival in ") + m_texts.caption,
                      failure, TrapStyle::LogOnly);
    });
    connect(&m_transfer, &TftpTransfer::notAcknowledged, this,
            [this] { prompts().message(kTransmitTitle, kNoAckText, PromptIcon::Information); });
    connect(&m_transfer, &TftpTransfer::dataPacketFailed, this, [this](int next) {
        prompts().message(kErrorTitle,
                          QStringLiteral("Error in sending data packet : ") +
                              QString::number(next) +
                              QStringLiteral("\r\nPlease cancel the download and try again."),
                          PromptIcon::Critical);
    });
    connect(&m_transfer, &TftpTransfer::timedOut, this,
            [this] { prompts().message(kErrorTitle, kDownloadTimeoutText, PromptIcon::None); });
    connect(&m_transfer, &TftpTransfer::succeeded, this, [this] {
        prompts().message(kInformationTitle, kDownloadSucceededText, PromptIcon::None);
    });
    connect(&m_transfer, &TftpTransfer::progressed, m_progress, &TransferProgressBar::showSent);
}

void DownloadDialog::formLoad()
{
    m_cancel->setText(QStringLiteral("Cancel"));
    m_address->setText(context().currentDeviceAddress);
    m_fileBox->setText(lastFile());
    loadDestinations();
}

void DownloadDialog::selectClicked()
{
    runTrapped(context().paths.errorLog, context().prompts, m_texts.selectPlace, [this] {
        const auto ask = [this] {
            FileDialogRequest request;
            request.title = QStringLiteral("Open");
            request.filter = m_texts.fileFilter;
            if (!lastFile().isEmpty())
                request.initialName = lastFile();
            else
                request.initialFolder = context().paths.firmwareFolder;
            return prompts().openFile(request);
        };
        withChosenFile(prompts(), ask, [this](const QString &path) {
            requireExistingFile(path);
            m_fileBox->setText(path);
            m_download->setFocus();
            lastFile() = m_fileBox->text().trimmed();
        });
    });
}

bool DownloadDialog::checkFilled(QWidget *field, bool filled, const QString &message)
{
    if (filled)
        return true;
    prompts().message(kErrorTitle, message, PromptIcon::Exclamation);
    field->setFocus();
    return false;
}

void DownloadDialog::downloadClicked()
{
    if (!checkFilled(m_address, !m_address->text().isEmpty(),
                     QStringLiteral("Destination IP Address must be\r\n"
                                    "specified to perform download.\r\n"
                                    "Please enter the target's IP Address.")) ||
        !checkFilled(m_destination, !m_destination->currentText().isEmpty(),
                     m_texts.destinationMissing) ||
        !checkFilled(m_fileBox, !m_fileBox->text().isEmpty(), m_texts.sourceMissing))
        return;

    const QString address = m_address->text().trimmed();
    context().currentDeviceAddress = address;
    const QString source = m_fileBox->text().trimmed();
    lastDestination() = m_destination->currentText().trimmed();

    const bool ranToEnd = runTrapped(
        context().paths.errorLog, context().prompts, m_texts.downloadPlace,
        [&] {
            if (const std::optional<QString> name = deviceFileName())
                m_transfer.start(*name, source, address);
        },
        TrapStyle::Plain,
        [this](const Failure &failure) { return expectedFileFailure(prompts(), failure); });
    if (!ranToEnd)
        SocketCleanup();
}

void DownloadDialog::cancelClicked()
{
    if (m_transfer.Downloading()) {
        m_transfer.stopDownload();
        return;
    }
    SocketCleanup();
    hide();
}

void DownloadDialog::reject()
{
    // Escape acts as the Cancel button.
    cancelClicked();
}

void DownloadDialog::closeEvent(QCloseEvent *event)
{
    m_transfer.abandon();
    event->accept();
}

bool DownloadDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_fileBox && event->type() == QEvent::FocusIn)
        m_fileLabel->setEnabled(true);
    return ToolDialog::eventFilter(watched, event);
}
