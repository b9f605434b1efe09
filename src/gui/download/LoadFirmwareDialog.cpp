#include "gui/download/LoadFirmwareDialog.h"

#include "core/session/AppContext.h"
#include "core/support/ErrorTrap.h"
#include "core/support/Prompts.h"
#include "core/support/SharedMessages.h"
#include "gui/download/DownloadChoices.h"

#include <QComboBox>

namespace {

DownloadDialogTexts firmwareTexts()
{
    DownloadDialogTexts t;
    t.formName = QStringLiteral("frmLoadFirmware");
    t.caption = QStringLiteral("Load Firmware");
    t.fileLabelName = QStringLiteral("lblFWFile");
    t.fileLabelCaption = QStringLiteral("FW File:");
    t.fileBoxName = QStringLiteral("txtFWFile");
    t.selectName = QStringLiteral("cmdSelectFWFile");
    t.selectCaption = QStringLiteral("Select FW File");
    t.destinationLabelName = QStringLiteral("lblFile");
    t.destinationLabelCaption = QStringLiteral("Existing Firmware:");
    t.destinationName = QStringLiteral("cboFWDestFile");
    t.downloadName = QStringLiteral("cmdDownloadFWFile");
    t.downloadCaption = QStringLiteral("Download FW File");
    t.socketName = QStringLiteral("sckLoadFw");
    t.fileFilter = QStringLiteral("ROM Files (*.ROM)|*.ROM|All Files (*.*)|*.*");
    t.destinationMissing = QStringLiteral("Destination File must be specified\r\n"
                                          "to perform download. Please select\r\n"
                                          "the corresponding Destination File.");
    t.sourceMissing = QStringLiteral("Source FW File must be specified\r\n"
                                     "to perform download. Please select\r\n"
                                     "the appropriate FW file.");
    t.selectPlace = QStringLiteral("cmdSelectFWFile_Click in Load Firmware");
    t.downloadPlace = QStringLiteral("cmdDownloadFWFile_Click in Load Firmware");
    return t;
}

} // namespace

LoadFirmwareDialog::LoadFirmwareDialog(AppContext &context, QWidget *parent)
    : DownloadDialog(context, firmwareTexts(), parent)
{
    formLoad();
}

QString &LoadFirmwareDialog::lastFile()
{
    return context().memory.of<FirmwareChoices>().LastFWFile;
}

QString &LoadFirmwareDialog::lastDestination()
{
    return context().memory.of<FirmwareChoices>().LastFWDestination;
}

void LoadFirmwareDialog::loadDestinations()
{
    QComboBox *list = destinationList();
    list->clear();
    // However the infobase turns out, the dialog finishes loading.
    runTrapped(
        context().paths.errorLog, context().prompts, QStringLiteral("Form_Load in Load Firmware"),
        [this, list] {
            m_destinations = loadFirmwareDestinations(
                context().settings, context().paths,
                [this](const QString &shownName) { return createInfobaseAsked(shownName); });
            if (m_destinations.fixed)
                list->setEditable(false);
            list->addItems(m_destinations.destinations);
            if (list->count() > 0)
                list->setCurrentIndex(0);
            if (m_destinations.fixed) {
                lastDestination() = m_destinations.destinations.value(0);
                return;
            }
            if (m_destinations.failure)
                throw *m_destinations.failure;
            // Even a destination that no entry has any more is shown again.
            if (!m_destinations.infobaseMissing && !lastDestination().isEmpty())
                list->setCurrentText(lastDestination());
        },
        TrapStyle::PlainNoIcon);
}

bool LoadFirmwareDialog::createInfobaseAsked(const QString &shownName)
{
    return prompts().message(kErrorTitle,
                             QStringLiteral("'") + shownName +
                                 QStringLiteral("' specified\r\nin the INI file was not found!\r\n"
                                                "Do you want a default file created?"),
                             PromptIcon::Exclamation, PromptButtons::YesNo) == PromptAnswer::Yes;
}

std::optional<QString> LoadFirmwareDialog::deviceFileName()
{
    const FirmwareDestination found = lookUpFirmwareDestination(m_destinations, lastDestination());
    if (found.problem != FirmwareDestination::Problem::NotInInfobase)
        return found.deviceFileName;
    prompts().message(kErrorTitle, notInInfobaseMessage(found.destination), PromptIcon::None);
    return std::nullopt;
}
