#include "app/MainWindow.h"

#include "app/AboutDialog.h"
#include "app/AppContext.h"
#include "app/HelpMessages.h"
#include "app/IniFile.h"
#include "app/Pictures.h"
#include "app/ToolTable.h"
#include "app/ToolbarIcons.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QToolBar>

MainWindow::MainWindow(AppContext &context, DialogFactoryFunction factory, QWidget *parent)
    : QMainWindow(parent), m_context(context), m_dialogs(context, this, std::move(factory))
{
    setObjectName(QStringLiteral("frmMain"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildMenus();
    buildToolbar();
    setCentralWidget(new QWidget);
    // A launcher strip: wide enough for the menus and buttons, no empty field.
    resize(560, menuBar()->sizeHint().height() + m_toolbar->sizeHint().height() + 8);

    // Load. The task-bar owner needs no icon of its own here: the window
    // system takes the task-bar icon from the window icon. There is no help
    // file for context help on this platform.
    ApplyToolOptions();
    m_context.currentDeviceAddress.clear();
    const QIcon icon = titleBarIcon(m_context);
    if (!icon.isNull())
        setWindowIcon(icon);
}

QMenu *MainWindow::addMenu(const char *name, const char *caption)
{
    QMenu *menu = menuBar()->addMenu(QString::fromLatin1(caption));
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

QAction *MainWindow::addItem(QMenu *menu, const char *name, const char *caption)
{
    QAction *item = menu->addAction(QString::fromLatin1(caption));
    item->setObjectName(QString::fromLatin1(name));
    m_items.insert(item->objectName(), item);
    return item;
}

void MainWindow::addSeparator(QMenu *menu, const char *name)
{
    QAction *bar = menu->addSeparator();
    bar->setObjectName(QString::fromLatin1(name));
    m_items.insert(bar->objectName(), bar);
}

void MainWindow::buildMenus()
{
    QMenu *file = addMenu("mnuFile", "&File");
    connect(addItem(file, "mnuFileExit", "E&xit"), &QAction::triggered, this,
            &MainWindow::UnloadAllForms);

    QMenu *view = addMenu("mnuView", "&View");
    addItem(view, "mnuViewDataFile", "&Data File");
    addSeparator(view, "mnuViewBar0");
    QAction *toolbar = addItem(view, "mnuViewToolbar", "&Toolbar");
    toolbar->setCheckable(true);
    toolbar->setChecked(true);
    connect(toolbar, &QAction::triggered, this, &MainWindow::mnuViewToolbar_Click);

    QMenu *tools = addMenu("mnuTools", "&Tools");
    addItem(tools, "mnuToolsAssignIP", "&Assign IP...");
    addItem(tools, "mnuToolsPingDevice", "&Ping Device...");
    addItem(tools, "mnuToolsQueryDevice", "&Query Device...");
    addItem(tools, "mnuToolsLoadFirmware", "Load &Firmware...");
    addItem(tools, "mnuToolsLoadWebPages", "Load &WebPages...");
    addItem(tools, "mnuToolsTelnetDevice", "&Telnet to Device...");
    addItem(tools, "mnuToolsWebConfiguration", "Web &Configuration...");
    for (const ToolEntry &tool : kTools) {
        const DialogId id = tool.dialog;
        connect(m_items.value(QString::fromLatin1(tool.menuItem)), &QAction::triggered, this,
                [this, id] { m_dialogs.show(id); });
    }

    QMenu *help = addMenu("mnuHelp", "&Help");
    connect(addItem(help, "mnuHelpSubscribeToUpdates", "&Subscribe to Updates"),
            &QAction::triggered, this, [this] { showFirmwareUpdatesMessage(m_context); });
    connect(addItem(help, "mnuHelpReleaseNotes", "&Release Notes"), &QAction::triggered, this,
            [this] { showReleaseNotesMessage(m_context); });
    addSeparator(help, "mnuHelpBar0");
    connect(addItem(help, "mnuHelpAbout", "&About"), &QAction::triggered, this,
            &MainWindow::mnuHelpAbout_Click);
}

void MainWindow::buildToolbar()
{
    m_toolbar = addToolBar(QString());
    m_toolbar->setObjectName(QStringLiteral("tbrCustomTools"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setIconSize(QSize(32, 32));
    const ToolbarIcons imlCustomToolBarIcons(m_context.programFolder);
    for (const ToolEntry &tool : kTools) {
        const QString key = QString::fromLatin1(tool.buttonKey);
        QAction *button = m_toolbar->addAction(imlCustomToolBarIcons.icon(key), key);
        button->setObjectName(key);
        button->setData(key);
        button->setToolTip(QString::fromLatin1(tool.toolTip));
        m_buttons.insert(key, button);
    }
    connect(m_toolbar, &QToolBar::actionTriggered, this,
            [this](QAction *button) { tbrCustomTools_ButtonClick(button->data().toString()); });
}

void MainWindow::ApplyToolOptions()
{
    const IniFile ini(m_context.settings.SettingsFilePath);
    for (const ToolEntry &tool : kTools) {
        // A buffer of 11 keeps at most the first 10 characters of the value.
        const QString value =
            ini.read(QStringLiteral("options"), QString::fromLatin1(tool.optionKey),
                     QStringLiteral("enabled"), 11)
                .value;
        if (value != QLatin1String("disabled"))
            continue;
        m_items.value(QString::fromLatin1(tool.menuItem))->setVisible(false);
        m_buttons.value(QString::fromLatin1(tool.buttonKey))->setVisible(false);
        if (tool.dialog == DialogId::DataFile)
            m_items.value(QStringLiteral("mnuViewBar0"))->setVisible(false);
    }
}

void MainWindow::tbrCustomTools_ButtonClick(const QString &key)
{
    for (const ToolEntry &tool : kTools) {
        if (key == QLatin1String(tool.buttonKey)) {
            m_dialogs.show(tool.dialog);
            return;
        }
    }
}

void MainWindow::mnuViewToolbar_Click()
{
    // The item is checkable, so Qt has already inverted its check mark.
    m_toolbar->setVisible(m_items.value(QStringLiteral("mnuViewToolbar"))->isChecked());
}

void MainWindow::mnuHelpAbout_Click()
{
    auto *about = new AboutDialog(m_context, this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    m_dialogs.adopt(DialogId::About, about);
    about->exec();
}

void MainWindow::UnloadAllForms()
{
    if (m_unloading)
        return;
    m_unloading = true;
    m_dialogs.closeAll();
    close(); // MainForm last
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Closing by the title bar unloads the dialogs first; when UnloadAllForms
    // itself closes this window the dialogs are already gone.
    UnloadAllForms();
    event->accept();
}
