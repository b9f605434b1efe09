#include "gui/datafile/DataFileViewer.h"

#include "core/datafile/DataFile.h"
#include "core/datafile/DataFilePrintout.h"
#include "core/session/AppContext.h"
#include "core/support/ErrorTrap.h"
#include "core/support/FileDialogLoop.h"
#include "core/support/Prompts.h"
#include "core/support/SharedMessages.h"
#include "gui/datafile/DeviceGrid.h"
#include "gui/shell/SystemLinePrinter.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

const QString kBaseCaption = QStringLiteral("View Data File");
const QString kFilter = QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*");

} // namespace

DataFileViewer::DataFileViewer(AppContext &context, QWidget *parent)
    : ToolDialog(context, QStringLiteral("frmDataFile"), kBaseCaption, parent),
      m_printer(std::make_unique<SystemLinePrinter>())
{
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    connect(cmdImportDataFile, &QPushButton::clicked, this, &DataFileViewer::importDataFile);
    connect(cmdSaveDataFile, &QPushButton::clicked, this, &DataFileViewer::saveDataFile);
    connect(cmdPrintDataFile, &QPushButton::clicked, this, &DataFileViewer::printDataFile);
    connect(grdDeviceData, &QTableWidget::itemSelectionChanged, this,
            &DataFileViewer::onSelectionChanged);
    load();
}

DataFileViewer::~DataFileViewer() = default;

void DataFileViewer::setPrinter(std::unique_ptr<LinePrinter> printer)
{
    m_printer = std::move(printer);
}

void DataFileViewer::buildControls()
{
    fraDataFile = new QGroupBox(QStringLiteral("Device Information"));
    fraDataFile->setObjectName(QStringLiteral("fraDataFile"));
    grdDeviceData = new DeviceGrid;
    (new QVBoxLayout(fraDataFile))->addWidget(grdDeviceData);

    cmdImportDataFile = new QPushButton(QStringLiteral("Import Data File..."));
    cmdImportDataFile->setObjectName(QStringLiteral("cmdImportDataFile"));
    cmdPrintDataFile = new QPushButton(QStringLiteral("Print Data File"));
    cmdPrintDataFile->setObjectName(QStringLiteral("cmdPrintDataFile"));
    cmdSaveDataFile = new QPushButton(QStringLiteral("Save Data File..."));
    cmdSaveDataFile->setObjectName(QStringLiteral("cmdSaveDataFile"));
    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : {cmdImportDataFile, cmdPrintDataFile, cmdSaveDataFile}) {
        button->setAutoDefault(false); // Enter presses the focused one (ToolDialog)
        buttons->addWidget(button);
    }
    buttons->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(fraDataFile, 1);
    layout->addLayout(buttons);
    setTabOrder(cmdImportDataFile, cmdPrintDataFile);
    setTabOrder(cmdPrintDataFile, cmdSaveDataFile);
    setTabOrder(cmdSaveDataFile, grdDeviceData);
    // The grid's columns decide the width, so no record is cut off at the
    // right, yet the window never starts wider than the screen.
    int width = qMax(720, sizeHint().width());
    if (const QScreen *desktop = screen())
        width = qMin(width, desktop->availableGeometry().width());
    resize(width, 480);
}

bool DataFileViewer::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        cmdImportDataFile->setFocus();
    return ToolDialog::event(event);
}

void DataFileViewer::showFileName()
{
    setWindowTitle(kBaseCaption + QStringLiteral(" - ") + m_fileName);
}

void DataFileViewer::load()
{
    m_folder = context().settings.DatabaseFileDir.trimmed();
    m_fileName = context().settings.DatabaseFileName.trimmed();
    if (m_fileName.isEmpty())
        return;
    // The settings default folder has no trailing separator; one is put in.
    const QString path = joinLocation(m_folder, m_fileName);
    const auto missing = [&](const Failure &failure) {
        if (failure.number() != FailureNumber::FileNotFound &&
            failure.number() != FailureNumber::PathNotFound)
            return false;
        prompts().message(kErrorTitle,
                          QStringLiteral("Database file ") + path +
                              QStringLiteral(" was not found!\r\nPlease select another file."),
                          PromptIcon::None);
        return true;
    };
    runTrapped(
        context().paths.errorLog, context().prompts,
        QStringLiteral("Sub Form_Load in View Data File"),
        [&] {
            m_recordCount = grdDeviceData->fillRecords(readAllRecords(path));
            showFileName();
            m_currentPath = path;
        },
        TrapStyle::Plain, missing);
}

void DataFileViewer::clearGrid()
{
    setWindowTitle(kBaseCaption);
    grdDeviceData->clearTexts();
}

void DataFileViewer::importDataFile()
{
    const auto ask = [this] {
        return prompts().openFile({QStringLiteral("Open"), kFilter, m_folder, m_fileName});
    };
    const auto use = [this](const QString &path) {
        // The grid, with its unsaved removals, is replaced only once the new
        // file has been read: a failed import leaves everything as it was.
        const QList<DeviceRecord> records = readAllRecords(path);
        m_currentPath = path;
        clearGrid();
        m_recordCount = grdDeviceData->fillRecords(records);
        const FileLocation location = splitLocation(path);
        m_folder = location.folder;
        m_fileName = location.fileName;
        showFileName();
    };
    runTrapped(context().paths.errorLog, context().prompts,
               QStringLiteral("cmdImportDataFile_Click in View Data File"),
               [&] { withChosenFile(prompts(), ask, use); });
}

void DataFileViewer::saveDataFile()
{
    const auto ask = [this] {
        return prompts().saveFile({QStringLiteral("Save As"), kFilter, m_folder, m_fileName});
    };
    const auto use = [this](const QString &path) {
        writeAllRecords(path, grdDeviceData->recordsInUse());
        storeLocation(context().settings, path);
        const FileLocation location = splitLocation(path);
        m_folder = location.folder;
        m_fileName = location.fileName;
    };
    runTrapped(context().paths.errorLog, context().prompts,
               QStringLiteral("cmdSaveDataFile_Click in View Data File"),
               [&] { withChosenFile(prompts(), ask, use); });
}

void DataFileViewer::printDataFile()
{
    const QList<QStringList> pages = dataFilePrintout(m_currentPath, grdDeviceData->rowsInUse());
    if (m_printer && m_printer->printPages(pages))
        return;
    prompts().message(kErrorTitle,
                      QStringLiteral("There was an error trying to print this file\r\n"
                                     "Verify the connection to your printer."),
                      PromptIcon::None);
}

void DataFileViewer::onSelectionChanged()
{
    if (m_inSelection)
        return;
    const QModelIndexList selected = grdDeviceData->selectionModel()->selectedIndexes();
    // Only a record's number cell offers the removal; free rows have no number.
    if (selected.isEmpty() || selected.last().column() != 0 ||
        grdDeviceData->item(selected.last().row(), 0) == nullptr ||
        grdDeviceData->item(selected.last().row(), 0)->text().isEmpty()) {
        grdDeviceData->normalColours(m_recordCount);
        return;
    }
    m_inSelection = true;
    const int row = selected.last().row();
    grdDeviceData->normalColours(m_recordCount);
    grdDeviceData->highlightRow(row);
    // Without the selection the number cell shows the row's highlight too,
    // not the style's selection colour; a later click on it asks again.
    grdDeviceData->clearSelection();
    grdDeviceData->setCurrentIndex(QModelIndex());
    const PromptAnswer answer =
        prompts().message(QStringLiteral("Response Required"),
                          QStringLiteral("Do you want to delete this\r\nrecord from the screen?"),
                          PromptIcon::Question, PromptButtons::YesNo);
    if (answer == PromptAnswer::Yes) {
        grdDeviceData->removeRecordRow(row);
        --m_recordCount;
    } else {
        grdDeviceData->normalRow(row);
    }
    m_inSelection = false;
}
