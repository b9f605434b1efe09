#pragma once

#include "core/launch/TelnetLaunch.h"
#include "gui/shell/ToolDialog.h"

class QComboBox;
class QLineEdit;
class QPushButton;

// frmTelnetDevice: starts the telnet program in a terminal window on a device
// address and port. Closing it only hides it, so the port list and the
// telnet folder last for the run.
class TelnetDeviceDialog : public ToolDialog {
    Q_OBJECT
public:
    // After the third attempt found no telnet program (OK and Cancel, no icon).
    static const QString kTelnetNotFoundText;
    // When no terminal program can run telnet (exclamation icon).
    static const QString kNoTerminalText;

    explicit TelnetDeviceDialog(AppContext &context, QWidget *parent = nullptr);

    QString telnetFolder() const { return m_folders.current; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void onTelnet();
    void onPortEnter();

    TelnetFolders m_folders;
    QLineEdit *txtIPAddress = nullptr;
    QComboBox *cboPortNum = nullptr;
    QPushButton *cmdTelnet = nullptr;
};
