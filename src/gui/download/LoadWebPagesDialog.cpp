#include "gui/download/LoadWebPagesDialog.h"

#include "core/session/AppContext.h"
#include "gui/download/DownloadChoices.h"

#include <QComboBox>

namespace {

DownloadDialogTexts webTexts()
{
    DownloadDialogTexts t;
    t.formName = QStringLiteral("frmLoadWebPages");
    t.caption = QStringLiteral("Load WebPages");
    t.fileLabelName = QStringLiteral("lblWebFile");
    t.fileLabelCaption = QStringLiteral("Web File:");
    t.fileBoxName = QStringLiteral("txtWebFile");
    t.selectName = QStringLiteral("cmdSelectWebFile");
    t.selectCaption = QStringLiteral("Select Web File");
    t.destinationLabelName = QStringLiteral("lblWebDirectory");
    t.destinationLabelCaption = QStringLiteral("Destination Directory:");
    t.destinationName = QStringLiteral("cboWebDirectory");
    t.downloadName = QStringLiteral("cmdDownloadWebFile");
    t.downloadCaption = QStringLiteral("Download Web File");
    t.socketName = QStringLiteral("sckLoadWeb");
    t.fileFilter = QStringLiteral("WPK Files (*.WPK)|*.WPK|All Files (*.*)|*.*");
    t.destinationMissing = QStringLiteral("Web Directory must be specified\r\n"
                                          "to perform download. Please select\r\n"
                                          "the corresponding Web Directory.");
    t.sourceMissing = QStringLiteral("Source Web File must be specified\r\n"
                                     "to perform download. Please select\r\n"
                                     "the appropriate Web File.");
    t.selectPlace = QStringLiteral("cmdSelectWebFile_Click in Load WebPages");
    t.downloadPlace = QStringLiteral("cmdDownloadWebFile_Click in Load WebPages");
    return t;
}

} // namespace

LoadWebPagesDialog::LoadWebPagesDialog(AppContext &context, QWidget *parent)
    : DownloadDialog(context, webTexts(), parent)
{
    formLoad();
}

QString &LoadWebPagesDialog::lastFile()
{
    return context().memory.of<WebPageChoices>().LastWebFile;
}

QString &LoadWebPagesDialog::lastDestination()
{
    return context().memory.of<WebPageChoices>().LastWebDirectory;
}

void LoadWebPagesDialog::loadDestinations()
{
    QComboBox *list = destinationList();
    list->clear();
    for (int i = 1; i <= 6; ++i)
        list->addItem(QStringLiteral("WEB%1").arg(i));
    list->setCurrentText(lastDestination().isEmpty() ? QStringLiteral("WEB6") : lastDestination());
}

std::optional<QString> LoadWebPagesDialog::deviceFileName()
{
    return lastDestination();
}
