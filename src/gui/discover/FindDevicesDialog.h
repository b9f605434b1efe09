#pragma once

#include "core/device/DeviceListing.h"
#include "core/device/DeviceSearchSettings.h"
#include "gui/shell/ToolDialog.h"

class DeviceDiscovery;
class DeviceListView;
class DeviceMenu;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

// frmFindDevices: searches this host's segments for devices and lists them as
// they answer. The row chosen becomes the Current device address, and the
// list opens the other tools on it; the list is saved as CSV or as a
// commissioning plan, and an empty search is explained by the host's own
// checks.
class FindDevicesDialog : public ToolDialog {
    Q_OBJECT
public:
    explicit FindDevicesDialog(AppContext &context, QWidget *parent = nullptr);

    DeviceDiscovery &discovery() const { return *m_discovery; }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void fillInterfaces();
    void onInterfaceChosen();
    void search();
    void showDevices(const QHostAddress &address);
    void onFinished();
    void onChosen();
    void showDeviceMenu(const QPoint &where);

    void saveList();
    void makePlan();
    void exportDevices(const QString &title, const QString &fileName, const QByteArray &bytes);
    void explain();

    QString searchedText() const;

    DeviceDiscovery *m_discovery;
    DeviceSearchSettings m_settings;
    QList<LocalInterface> m_interfaces; // as they were when the search began
    QString m_searchError;              // why the last search could not start
    QString m_chosenHardware;
    bool m_searched = false;

    QLabel *lblInterface = nullptr;
    QComboBox *cboInterface = nullptr;
    QPushButton *cmdRefresh = nullptr;
    DeviceListView *lvwDevices = nullptr;
    QProgressBar *prgSearching = nullptr;
    QLabel *lblStatus = nullptr;
    QLabel *lblChosen = nullptr;
    QPlainTextEdit *txtWhy = nullptr;
    QPushButton *cmdDevice = nullptr;
    QPushButton *cmdSaveList = nullptr;
    QPushButton *cmdMakePlan = nullptr;
    QPushButton *cmdWhy = nullptr;
    DeviceMenu *mnuDevice = nullptr;
};
