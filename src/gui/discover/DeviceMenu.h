#pragma once

#include <QHash>
#include <QMenu>

struct AppContext;
class DeviceListView;

// What can be done with the device chosen in the list (its context menu and
// the Device button's menu): open another tool on it, save it in the device
// data file as Query Device does, copy its addresses. The actions belong to
// `dialog` too, so their shortcuts work anywhere in it.
class DeviceMenu : public QMenu {
    Q_OBJECT
public:
    DeviceMenu(AppContext &context, DeviceListView *list, QWidget *dialog);

    // Enables the actions while a device is chosen, each tool's only while
    // the settings offer that tool.
    void update();

    void queryDevice();

private:
    QAction *add(const char *name, const QString &caption, void (DeviceMenu::*run)(),
                 const QString &tool = {});
    void openOn(const QString &formName);
    void assignIp();
    void pingDevice();
    void telnetDevice();
    void webConfiguration();
    void loadFirmware();
    void loadWebPages();
    void saveInDataFile();
    void copyIpAddress();
    void copyHardwareAddress();

    AppContext &m_context;
    DeviceListView *m_list;
    QWidget *m_dialog;
    QHash<QAction *, QString> m_toolOf; // the actions that open a tool
};
