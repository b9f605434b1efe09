#pragma once

#include "gui/shell/ToolDialog.h"

class PingControl;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// frmPingDevice: pings a device and writes one line per reply or time-out
// until four replies or four time-outs have been seen.
class PingDeviceDialog : public ToolDialog {
    Q_OBJECT
public:
    explicit PingDeviceDialog(AppContext &context, QWidget *parent = nullptr);

    PingControl &ping() const { return *Ping1; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void onPing();
    void onReply(quint16 sequence, quint16 dataBytes, quint32 roundTripMs);
    void onTimedOut();
    void onPingError(quint16 code, const QString &text);
    void stopPinging();
    void clearResults();
    void append(const QString &text);

    PingControl *Ping1;
    QLineEdit *txtIPAddress = nullptr;
    QPushButton *cmdPing = nullptr;
    QLabel *lblStatus = nullptr;
    QPlainTextEdit *txtReplyStatus = nullptr;
    QPushButton *cmdClearDisplay = nullptr;
    int m_limit = 4;
    int m_timeouts = 0;
};
