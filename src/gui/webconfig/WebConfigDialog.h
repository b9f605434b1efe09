#pragma once

#include "gui/shell/ToolDialog.h"

class QLineEdit;
class QPushButton;

// frmWebConfig: opens the desktop's web browser on a device's address.
class WebConfigDialog : public ToolDialog {
    Q_OBJECT
public:
    explicit WebConfigDialog(AppContext &context, QWidget *parent = nullptr);

private:
    void buildControls();
    void onWebConfig();

    QLineEdit *txtIPAddress = nullptr;
    QPushButton *cmdWebConfig = nullptr;
};
