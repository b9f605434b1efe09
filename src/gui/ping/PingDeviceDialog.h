#pragma once

#include "gui/shell/ToolDialog.h"

class PingControl;
class PingSeries;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// frmPingDevice: pings a device and writes one line per reply or time-out
// until four replies or four time-outs have been seen (the ping series decides
// both the lines and the stop; the dialog shows them).
class PingDeviceDialog : public ToolDialog {
    Q_OBJECT
public:
    explicit PingDeviceDialog(AppContext &context, QWidget *parent = nullptr);

    PingControl &ping() const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void onPing();
    void onPingError(quint16 code, const QString &text);
    void stopPinging();
    void clearResults();
    void append(const QString &text);

    PingSeries *m_series;
    QLineEdit *txtIPAddress = nullptr;
    QPushButton *cmdPing = nullptr;
    QLabel *lblStatus = nullptr;
    QPlainTextEdit *txtReplyStatus = nullptr;
    QPushButton *cmdClearDisplay = nullptr;
};
