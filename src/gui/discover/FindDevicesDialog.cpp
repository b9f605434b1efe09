#include "gui/discover/FindDevicesDialog.h"

#include "core/commission/DeviceListExport.h"
#include "core/device/DeviceDiscovery.h"
#include "core/host/HostChecks.h"
#include "core/session/AppContext.h"
#include "core/session/EngineOptions.h"
#include "core/support/ErrorTrap.h"
#include "core/support/FileDialogLoop.h"
#include "core/support/Prompts.h"
#include "core/support/ShownText.h"
#include "gui/discover/DeviceListView.h"
#include "gui/discover/DeviceMenu.h"
#include "gui/shell/ToolWidgets.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

QString counted(qsizetype count, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

QString secondsText(int ms)
{
    return QString::number(ms / 1000.0) + QStringLiteral(" s");
}

} // namespace

FindDevicesDialog::FindDevicesDialog(AppContext &context, QWidget *parent)
    : ToolDialog(context, QStringLiteral("frmFindDevices"), QStringLiteral("Find Devices"), parent),
      m_discovery(new DeviceDiscovery(this)),
      m_settings(readDeviceSearchSettings(context.settings.SettingsFilePath,
                                          context.intervals.discoveryTimeoutMs))
{
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    resize(1060, 440); // every column in sight
    mnuDevice = new DeviceMenu(context, lvwDevices, this);
    cmdDevice->setMenu(mnuDevice);
    fillInterfaces();
    onChosen();

    connect(m_discovery, &DeviceDiscovery::deviceFound, this,
            [this](const DiscoveredDevice &device) { showDevices(device.address); });
    connect(m_discovery, &DeviceDiscovery::finished, this, &FindDevicesDialog::onFinished);
    connect(cmdRefresh, &QPushButton::clicked, this, &FindDevicesDialog::search);
    connect(cboInterface, &QComboBox::activated, this, &FindDevicesDialog::onInterfaceChosen);
    connect(lvwDevices, &QTreeWidget::itemSelectionChanged, this, &FindDevicesDialog::onChosen);
    connect(lvwDevices, &QTreeWidget::itemDoubleClicked, mnuDevice, &DeviceMenu::queryDevice);
    connect(lvwDevices, &QWidget::customContextMenuRequested, this,
            &FindDevicesDialog::showDeviceMenu);
    connect(cmdSaveList, &QPushButton::clicked, this, &FindDevicesDialog::saveList);
    connect(cmdMakePlan, &QPushButton::clicked, this, &FindDevicesDialog::makePlan);
    connect(cmdWhy, &QPushButton::clicked, this, &FindDevicesDialog::explain);
    onEnter(lvwDevices, [this] {
        lvwDevices->chooseCurrent();
        mnuDevice->queryDevice();
    });

    auto *refresh = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(refresh, &QShortcut::activated, this, &FindDevicesDialog::search);
    auto *menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), lvwDevices, nullptr,
                                  nullptr, Qt::WidgetShortcut);
    connect(menuKey, &QShortcut::activated, this, [this] {
        lvwDevices->chooseCurrent();
        const QList<QTreeWidgetItem *> chosen = lvwDevices->selectedItems();
        showDeviceMenu(chosen.isEmpty() ? QPoint()
                                        : lvwDevices->visualItemRect(chosen.first()).center());
    });
}

void FindDevicesDialog::buildControls()
{
    lblInterface = named(new QLabel(QStringLiteral("&Interfaces:"), this), "lblInterface");
    cboInterface = named(new QComboBox(this), "cboInterface");
    cboInterface->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    lblInterface->setBuddy(cboInterface);
    cmdRefresh = toolButton(QStringLiteral("&Refresh"), "cmdRefresh", this);
    cmdRefresh->setToolTip(QStringLiteral("Search again (F5)"));
    auto *top = new QHBoxLayout;
    top->addWidget(lblInterface);
    top->addWidget(cboInterface);
    top->addStretch(1);
    top->addWidget(cmdRefresh);

    lvwDevices = named(new DeviceListView(this), "lvwDevices");
    lvwDevices->setMinimumSize(720, 240);

    prgSearching = named(new QProgressBar(this), "prgSearching");
    prgSearching->setRange(0, 0); // busy: no end known but the time-out
    prgSearching->setTextVisible(false);
    prgSearching->setFixedWidth(100);
    prgSearching->hide();
    lblStatus = named(new QLabel(this), "lblStatus");
    lblStatus->setTextFormat(Qt::PlainText);
    lblStatus->setWordWrap(true);
    auto *status = new QHBoxLayout;
    status->addWidget(prgSearching);
    status->addWidget(lblStatus, 1);
    // What is wrong with the device chosen, whole: the Status column may be
    // too narrow for it.
    lblChosen = named(new QLabel(this), "lblChosen");
    lblChosen->setTextFormat(Qt::PlainText);
    lblChosen->setWordWrap(true);
    lblChosen->hide();

    txtWhy = named(new QPlainTextEdit(this), "txtWhy");
    txtWhy->setReadOnly(true);
    txtWhy->setMinimumHeight(160);
    txtWhy->hide();

    cmdDevice = toolButton(QStringLiteral("&Device"), "cmdDevice", this);
    cmdSaveList = toolButton(QStringLiteral("Save &List..."), "cmdSaveList", this);
    cmdMakePlan = toolButton(QStringLiteral("&Make Plan..."), "cmdMakePlan", this);
    cmdMakePlan->setToolTip(
        QStringLiteral("A commissioning plan of these devices, their new addresses to fill in"));
    cmdWhy = toolButton(QStringLiteral("&Why can't I see my device?"), "cmdWhy", this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdDevice);
    buttons->addWidget(cmdSaveList);
    buttons->addWidget(cmdMakePlan);
    buttons->addStretch(1);
    buttons->addWidget(cmdWhy);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(lvwDevices, 1);
    layout->addLayout(status);
    layout->addWidget(lblChosen);
    layout->addWidget(txtWhy);
    layout->addLayout(buttons);

    // The list first: the dialog opens with the focus in it.
    setTabOrder(lvwDevices, cmdDevice);
    setTabOrder(cmdDevice, cmdSaveList);
    setTabOrder(cmdSaveList, cmdMakePlan);
    setTabOrder(cmdMakePlan, cmdWhy);
    setTabOrder(cmdWhy, txtWhy);
    setTabOrder(txtWhy, cboInterface);
    setTabOrder(cboInterface, cmdRefresh);
    lvwDevices->setFocus();
}

void FindDevicesDialog::fillInterfaces()
{
    cboInterface->clear();
    cboInterface->addItem(QStringLiteral("All interfaces"), QString());
    const InterfaceChoice usable = chooseBroadcastInterfaces(localInterfaces(), {});
    for (const LocalInterface &interface : usable.chosen) {
        QStringList subnets;
        for (const InterfaceAddress &entry : interface.ipv4)
            subnets.append(entry.subnetText());
        cboInterface->addItem(QStringLiteral("%1 (%2)").arg(shownText(interface.name),
                                                            subnets.join(QStringLiteral(", "))),
                              interface.name);
    }
    // An interface that is gone stays chosen, so the search says so rather
    // than quietly searching everywhere else.
    const QString &wanted = m_settings.interfaceName;
    int index = wanted.isEmpty() ? 0 : cboInterface->findData(wanted);
    if (index < 0) {
        cboInterface->addItem(QStringLiteral("%1 (not usable now)").arg(shownText(wanted)), wanted);
        index = cboInterface->count() - 1;
    }
    cboInterface->setCurrentIndex(index);
}

void FindDevicesDialog::onInterfaceChosen()
{
    m_settings.interfaceName = cboInterface->currentData().toString();
    storeSearchInterface(context().settings.SettingsFilePath, m_settings.interfaceName);
    search();
}

void FindDevicesDialog::showEvent(QShowEvent *event)
{
    ToolDialog::showEvent(event);
    if (!m_searched) {
        m_searched = true;
        search();
    }
}

void FindDevicesDialog::search()
{
    m_discovery->stop();
    lvwDevices->clearDevices();
    txtWhy->hide();
    m_searchError.clear();
    m_interfaces = localInterfaces();
    DiscoveryOptions options = discoveryOptions(context());
    options.timeoutMs = m_settings.timeoutMs;
    options.interfaceNames = m_settings.interfaceName.isEmpty()
                                 ? context().everyInterface
                                 : QStringList{m_settings.interfaceName};
    try {
        m_discovery->start(options);
    } catch (const Failure &failure) {
        m_searchError = shownText(failure.description());
        prgSearching->hide();
        lblStatus->setText(QStringLiteral("Cannot search: ") + m_searchError);
        lvwDevices->setPlaceholderText(
            QStringLiteral("No search could be made. Choose another interface, or see "
                           "\"Why can't I see my device?\""));
        onChosen();
        return;
    }
    prgSearching->show();
    lblStatus->setText(QStringLiteral("Searching\u2026"));
    lvwDevices->setPlaceholderText(QStringLiteral("Searching\u2026"));
    onChosen();
}

void FindDevicesDialog::showDevices(const QHostAddress &address)
{
    // A new device changes only the rows of its own address (a conflict);
    // at the end every row is brought up to date.
    for (const ListedDevice &device : listDevices(m_discovery->tally().devices(), m_interfaces)) {
        if (!address.isNull() && device.device.address != address)
            continue;
        QTreeWidgetItem *row = lvwDevices->showDevice(device);
        if (device.device.identity.hardwareAddress == m_chosenHardware &&
            lvwDevices->selectedItems().isEmpty())
            lvwDevices->setCurrentItem(row); // the device chosen before a refresh
    }
    onChosen();
}

void FindDevicesDialog::onFinished()
{
    showDevices({});
    prgSearching->hide();
    const QList<ListedDevice> devices = lvwDevices->devices();
    QStringList parts;
    parts.append(devices.isEmpty() ? QStringLiteral("No devices found")
                                   : counted(devices.size(), "device found", "devices found"));
    const auto conflicts = std::count_if(devices.begin(), devices.end(),
                                         [](const ListedDevice &d) { return d.conflict(); });
    const auto unreachable = std::count_if(devices.begin(), devices.end(),
                                           [](const ListedDevice &d) { return !d.reachable(); });
    if (conflicts > 0)
        parts.append(QStringLiteral("%1 in an address conflict").arg(conflicts));
    if (unreachable > 0)
        parts.append(QStringLiteral("%1 not reachable from this host").arg(unreachable));
    for (const DiscoveryInterface &interface : m_discovery->interfaces())
        for (const QString &error : interface.sendErrors)
            parts.append(QStringLiteral("the query could not go out of %1 to %2")
                             .arg(shownText(interface.name), shownText(error)));
    lblStatus->setText(parts.join(QStringLiteral("; ")));
    lvwDevices->setPlaceholderText(
        QStringLiteral("No device answered on %1 within %2. Press F5 to search again, or see "
                       "\"Why can't I see my device?\"")
            .arg(searchedText(), secondsText(m_settings.timeoutMs)));
}

QString FindDevicesDialog::searchedText() const
{
    QStringList names;
    for (const DiscoveryInterface &interface : m_discovery->interfaces())
        names.append(shownText(interface.name));
    return names.isEmpty() ? QStringLiteral("no interface") : names.join(QStringLiteral(", "));
}

void FindDevicesDialog::onChosen()
{
    const std::optional<ListedDevice> chosen = lvwDevices->chosenDevice();
    if (chosen) {
        m_chosenHardware = chosen->device.identity.hardwareAddress;
        context().currentDeviceAddress = chosen->device.address.toString();
    }
    const QString problems = chosen ? chosen->status() : QString();
    lblChosen->setText(problems.isEmpty()
                           ? QString()
                           : QStringLiteral("%1 at %2: %3")
                                 .arg(chosen->device.identity.hardwareAddress,
                                      chosen->device.address.toString(), shownText(problems, 500)));
    lblChosen->setVisible(!problems.isEmpty());
    mnuDevice->update();
    const bool listed = lvwDevices->topLevelItemCount() > 0;
    cmdSaveList->setEnabled(listed);
    cmdMakePlan->setEnabled(listed);
}

void FindDevicesDialog::showDeviceMenu(const QPoint &where)
{
    mnuDevice->popup(lvwDevices->viewport()->mapToGlobal(where));
}

void FindDevicesDialog::saveList()
{
    exportDevices(QStringLiteral("Save List"), QStringLiteral("devices.csv"),
                  deviceListCsv(lvwDevices->devices()));
}

void FindDevicesDialog::makePlan()
{
    exportDevices(QStringLiteral("Make Plan"), QStringLiteral("plan.csv"),
                  planTemplateCsv(lvwDevices->devices()));
}

void FindDevicesDialog::exportDevices(const QString &title, const QString &fileName,
                                      const QByteArray &bytes)
{
    const SettingsRecord &settings = context().settings;
    const FileDialogRequest request{title, QStringLiteral("CSV Files (*.csv)|*.csv"),
                                    settings.DatabaseFileDir.trimmed(), fileName};
    QList<FileUse> read = {{QStringLiteral("the settings file"), settings.SettingsFilePath}};
    if (!settings.DatabaseFileName.trimmed().isEmpty())
        read.append({QStringLiteral("the device data file"),
                     QDir(settings.DatabaseFileDir.trimmed())
                         .filePath(settings.DatabaseFileName.trimmed())});
    const auto ask = [&]() -> std::optional<QString> {
        std::optional<QString> path = prompts().saveFile(request);
        return path && path->isEmpty() ? std::nullopt : path;
    };
    const auto write = [&](const QString &path) {
        writeExport({QStringLiteral("the file chosen"), path, FileAccess::Write}, read, bytes);
    };
    // A file this program keeps is never overwritten by an export.
    const auto refused = [&](const Failure &failure) {
        if (failure.number() != FailureNumber::PathFileAccessError)
            return false;
        prompts().message(title, failure.description(), PromptIcon::Exclamation);
        return true;
    };
    runTrapped(
        context().paths.errorLog, context().prompts,
        QStringLiteral("cmd%1_Click in Find Devices").arg(QString(title).remove(QLatin1Char(' '))),
        [&] { withChosenFile(prompts(), ask, write); }, TrapStyle::Plain, refused);
}

void FindDevicesDialog::explain()
{
    setBusy(true);
    const HostChecks checks = checkHost(context().ports.query, context().ports.tftp);
    setBusy(false);
    const qsizetype found = lvwDevices->topLevelItemCount();
    QString intro;
    if (!m_searchError.isEmpty())
        intro = QStringLiteral("The search could not be made: %1.").arg(m_searchError);
    else if (m_discovery->isRunning())
        intro = QStringLiteral("The search is still running on %1.").arg(searchedText());
    else if (found == 0)
        intro = QStringLiteral("No device answered on %1 within %2.")
                    .arg(searchedText(), secondsText(m_settings.timeoutMs));
    else
        intro = QStringLiteral("%1 on %2. If yours is not among them:")
                    .arg(counted(found, "device answered", "devices answered"), searchedText());
    txtWhy->setPlainText(
        intro + QStringLiteral("\n\nWhat this computer shows:\n") +
        findingsText(hostFindings(checks)) +
        QStringLiteral("\n\nA device also stays silent when it is off, not cabled to this "
                       "network, or behind a router: the search reaches only the segments "
                       "this computer is on."));
    txtWhy->show();
    txtWhy->setFocus();
}

void FindDevicesDialog::closeEvent(QCloseEvent *event)
{
    m_discovery->stop();
    ToolDialog::closeEvent(event);
}
