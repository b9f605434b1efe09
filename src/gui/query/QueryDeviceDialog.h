#pragma once

#include "core/device/DeviceProtocol.h"
#include "gui/shell/ToolDialog.h"

class DeviceQuery;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// frmQueryDevice: reads a device's identity over UDP and saves it as a record
// of the device data file.
class QueryDeviceDialog : public ToolDialog {
    Q_OBJECT
public:
    explicit QueryDeviceDialog(AppContext &context, QWidget *parent = nullptr);

    DeviceQuery &query() const { return *m_query; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void clearResults();
    void enableResults();
    void onAddressEnter();
    void onGetDeviceInfo();
    void onSaveDeviceInfo();
    void onReply(const DecodedReply &reply);
    void onTimedOut();

    DeviceQuery *m_query;
    QGroupBox *fraTarget = nullptr;
    QLabel *lblIPAddress = nullptr;
    QLineEdit *txtIPAddress = nullptr;
    QPushButton *cmdGetDeviceInfo = nullptr;
    QGroupBox *fraDeviceInfo = nullptr;
    QLabel *lblMacAddress = nullptr;
    QLineEdit *txtMacAddress = nullptr;
    QLabel *lblFwVersion = nullptr;
    QLineEdit *txtFwVersion = nullptr;
    QLabel *lblFwType = nullptr;
    QLineEdit *txtFwType = nullptr;
    QLabel *lblDeviceName = nullptr;
    QLineEdit *txtDeviceName = nullptr;
    QPushButton *cmdSaveDeviceInfo = nullptr;
};
