#include "gui/download/LoadFirmwareDialog.h"

#include "core/session/AppContext.h"
#include "core/support/ErrorTrap.h"
#include "core/support/Prompts.h"
#include "core/tftp/FirmwareDestination.h"
#include "core/tftp/ProductInfobase.h"
#include "gui/download/DownloadChoices.h"

#include <QComboBox>

namespace {

const QString kFixedEndUser = QStringLiteral("KVR");
const QString kFixedDestination = QStringLiteral("Default KVR");

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

bool LoadFirmwareDialog::fixedDestination() const
{
    return context().settings.EndUser == kFixedEndUser;
}

void LoadFirmwareDialog::loadDestinations()
{
    QComboBox *list = destinationList();
    list->clear();
    if (fixedDestination()) {
        list->setEditable(false);
        list->addItem(kFixedDestination);
        list->setCurrentIndex(0);
        lastDestination() = kFixedDestination;
        m_infobasePath.clear();
        return;
    }
    // However the infobase turns out, the dialog finishes loading.
    runTrapped(
        context().paths.errorLog, context().prompts, QStringLiteral("Form_Load in Load Firmware"),
        [this] {
            const QString name = context().settings.InfobaseFile.trimmed();
            if (ProductInfobase::standsForDefault(name))
                createDefaultInfobase();
            else
                readInfobase(name);
        },
        TrapStyle::PlainNoIcon);
}

void LoadFirmwareDialog::readInfobase(const QString &name)
{
    m_infobasePath = context().paths.infobaseToRead(name);
    QList<InfobaseEntry> entries;
    try {
        entries = ProductInfobase::read(m_infobasePath);
    } catch (const Failure &failure) {
        if (failure.number() != FailureNumber::FileNotFound)
            throw;
        const PromptAnswer answer =
            prompts().message(QStringLiteral("Error Condition"),
                              QStringLiteral("'") + ProductInfobase::shownMissingName(name) +
                                  QStringLiteral("' specified\r\nin the INI file was not found!\r\n"
                                                 "Do you want a default file created?"),
                              PromptIcon::Exclamation, PromptButtons::YesNo);
        if (answer == PromptAnswer::Yes)
            createDefaultInfobase();
        return;
    }
    for (const InfobaseEntry &entry : entries)
        destinationList()->addItem(entry.displayName);
    destinationList()->setCurrentIndex(0);
    applyLastDestination();
}

void LoadFirmwareDialog::createDefaultInfobase()
{
    m_infobasePath = context().paths.prepareInfobaseCopy(ProductInfobase::defaultFileName());
    ProductInfobase::appendDefault(m_infobasePath);
    destinationList()->addItem(ProductInfobase::defaultDisplayName());
    destinationList()->setCurrentIndex(destinationList()->count() - 1);
    applyLastDestination();
}

void LoadFirmwareDialog::applyLastDestination()
{
    if (!lastDestination().isEmpty())
        destinationList()->setCurrentText(lastDestination());
}

std::optional<QString> LoadFirmwareDialog::deviceFileName()
{
    if (fixedDestination())
        return QStringLiteral("ROM");
    if (const auto name = ProductInfobase::lookUp(m_infobasePath, lastDestination()))
        return name;
    prompts().message(QStringLiteral("Error Condition"), notInInfobaseMessage(lastDestination()),
                      PromptIcon::None);
    return std::nullopt;
}
