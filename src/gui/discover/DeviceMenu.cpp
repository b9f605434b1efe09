#include "gui/discover/DeviceMenu.h"

#include "core/datafile/DeviceRecordSave.h"
#include "core/session/AppContext.h"
#include "core/support/ErrorTrap.h"
#include "gui/discover/DeviceListView.h"
#include "gui/shell/MainWindow.h"
#include "gui/shell/ToolWidgets.h"

#include <QClipboard>
#include <QGuiApplication>

namespace {
// The tools the list opens, by form name.
const QString kQueryDevice = QStringLiteral("frmQueryDevice");
const QString kAssignIP = QStringLiteral("frmAssignIP");
const QString kPingDevice = QStringLiteral("frmPingDevice");
const QString kTelnetDevice = QStringLiteral("frmTelnetDevice");
const QString kWebConfiguration = QStringLiteral("frmWebConfig");
const QString kLoadFirmware = QStringLiteral("frmLoadFirmware");
const QString kLoadWebPages = QStringLiteral("frmLoadWebPages");
} // namespace

DeviceMenu::DeviceMenu(AppContext &context, DeviceListView *list, QWidget *dialog)
    : QMenu(dialog), m_context(context), m_list(list), m_dialog(dialog)
{
    setObjectName(QStringLiteral("mnuDevice"));
    using M = DeviceMenu;
    add("actQueryDevice", QStringLiteral("&Query Device\tEnter"), &M::queryDevice, kQueryDevice);
    add("actAssignIP", QStringLiteral("&Assign IP..."), &M::assignIp, kAssignIP);
    add("actPingDevice", QStringLiteral("&Ping Device"), &M::pingDevice, kPingDevice);
    add("actTelnetDevice", QStringLiteral("&Telnet to Device"), &M::telnetDevice, kTelnetDevice);
    add("actWebConfiguration", QStringLiteral("&Web Configuration"), &M::webConfiguration,
        kWebConfiguration);
    add("actLoadFirmware", QStringLiteral("Load &Firmware"), &M::loadFirmware, kLoadFirmware);
    add("actLoadWebPages", QStringLiteral("Load W&ebPages"), &M::loadWebPages, kLoadWebPages);
    addSeparator();
    add("actSaveInDataFile", QStringLiteral("&Save in Data File..."), &M::saveInDataFile);
    addSeparator();
    add("actCopyIPAddress", QStringLiteral("&Copy IP Address"), &M::copyIpAddress)
        ->setShortcut(QKeySequence::Copy);
    add("actCopyHardwareAddress", QStringLiteral("Copy &Hardware Address"), &M::copyHardwareAddress)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
}

QAction *DeviceMenu::add(const char *name, const QString &caption, void (DeviceMenu::*run)(),
                         const QString &tool)
{
    auto *action = named(new QAction(caption, this), name);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_dialog->addAction(action);
    addAction(action);
    connect(action, &QAction::triggered, this, run);
    if (!tool.isEmpty())
        m_toolOf.insert(action, tool);
    return action;
}

void DeviceMenu::update()
{
    const bool chosen = m_list->chosenDevice().has_value();
    const MainWindow *main = mainWindowOf(m_dialog);
    for (QAction *action : actions()) {
        const QString tool = m_toolOf.value(action);
        if (!action->isSeparator())
            action->setEnabled(chosen && (tool.isEmpty() || (main && main->offersTool(tool))));
    }
}

void DeviceMenu::openOn(const QString &formName)
{
    const std::optional<ListedDevice> chosen = m_list->chosenDevice();
    MainWindow *main = mainWindowOf(m_dialog);
    if (!chosen || !main)
        return;
    m_context.currentDeviceAddress = chosen->device.address.toString();
    main->showTool(formName);
}

void DeviceMenu::queryDevice()
{
    openOn(kQueryDevice);
}

void DeviceMenu::assignIp()
{
    const std::optional<ListedDevice> chosen = m_list->chosenDevice();
    MainWindow *main = mainWindowOf(m_dialog);
    if (!chosen || !main)
        return;
    m_context.assignHardwareAddress = chosen->device.identity.hardwareAddress;
    if (!main->showTool(kAssignIP))
        m_context.assignHardwareAddress.clear();
}

void DeviceMenu::pingDevice()
{
    openOn(kPingDevice);
}

void DeviceMenu::telnetDevice()
{
    openOn(kTelnetDevice);
}

void DeviceMenu::webConfiguration()
{
    openOn(kWebConfiguration);
}

void DeviceMenu::loadFirmware()
{
    openOn(kLoadFirmware);
}

void DeviceMenu::loadWebPages()
{
    openOn(kLoadWebPages);
}

void DeviceMenu::saveInDataFile()
{
    const std::optional<ListedDevice> chosen = m_list->chosenDevice();
    if (!chosen)
        return;
    // The record Query Device saves for the same reply.
    const DecodedReply &identity = chosen->device.identity;
    const DeviceRecord record{{chosen->device.address.toString(), identity.hardwareAddress,
                               identity.firmwareVersion, identity.firmwareType,
                               identity.deviceType}};
    runTrapped(m_context.paths.errorLog, m_context.prompts,
               QStringLiteral("actSaveInDataFile_Click in Find Devices"),
               [&] { saveRecordToChosenFile(*m_context.prompts, m_context.settings, record); });
}

void DeviceMenu::copyIpAddress()
{
    if (const std::optional<ListedDevice> chosen = m_list->chosenDevice())
        QGuiApplication::clipboard()->setText(chosen->device.address.toString());
}

void DeviceMenu::copyHardwareAddress()
{
    if (const std::optional<ListedDevice> chosen = m_list->chosenDevice())
        QGuiApplication::clipboard()->setText(chosen->device.identity.hardwareAddress);
}
