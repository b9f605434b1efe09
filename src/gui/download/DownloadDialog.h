#pragma once

#include "core/tftp/TftpTransfer.h"
#include "gui/shell/ToolDialog.h"

#include <QString>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class TransferProgressBar;
class QPushButton;

// What tells the two download dialogs apart: names, captions, messages and
// error labels. Everything else they share.
struct DownloadDialogTexts {
    QString formName, caption;
    QString fileLabelName, fileLabelCaption, fileBoxName;
    QString selectName, selectCaption;
    QString destinationLabelName, destinationLabelCaption, destinationName;
    QString downloadName, downloadCaption;
    QString socketName;
    QString fileFilter;
    QString destinationMissing, sourceMissing; // the second and third input checks
    QString selectPlace, downloadPlace;        // error trap labels
};

// A dialog that sends one file to a device over TFTP: source file box with
// its select button, the device address, a destination list, the download
// and cancel buttons, and a progress bar. The subclass fills the list and
// names the device file.
class DownloadDialog : public ToolDialog {
    Q_OBJECT
public:
    DownloadDialog(AppContext &context, const DownloadDialogTexts &texts,
                   QWidget *parent = nullptr);

protected:
    // Form_Load: the subclass constructor calls it once it is complete.
    void formLoad();
    // Empties and fills the destination list and sets its text.
    virtual void loadDestinations() = 0;
    // The device file name for the destination just remembered, or nothing
    // (after its message) when the download must not start. May throw.
    virtual std::optional<QString> deviceFileName() = 0;
    // The remembered source file and destination of this dialog.
    virtual QString &lastFile() = 0;
    virtual QString &lastDestination() = 0;

    QComboBox *destinationList() const { return m_destination; }

    void SocketCleanup() { m_transfer.SocketCleanup(); }

    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void buildControls();
    void connectTransfer();
    void selectClicked();
    void downloadClicked();
    void cancelClicked();
    bool checkFilled(QWidget *field, bool filled, const QString &message);

    DownloadDialogTexts m_texts;
    TftpTransfer m_transfer;
    QLabel *m_fileLabel = nullptr;
    QLineEdit *m_fileBox = nullptr;
    QPushButton *m_select = nullptr;
    QLineEdit *m_address = nullptr;
    QComboBox *m_destination = nullptr;
    QPushButton *m_download = nullptr;
    QPushButton *m_cancel = nullptr;
    TransferProgressBar *m_progress = nullptr;
};
