#include "gui/shell/MainWindow.h"

#include "core/session/AppContext.h"
#include "core/settings/IniFile.h"
#include "gui/shell/AboutDialog.h"
#include "gui/shell/HelpMessages.h"
#include "gui/shell/Pictures.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QToolBar>

namespace {

// The About box closes first at program end, before every tool.
const QString kAboutForm = QStringLiteral("frmAbout");
constexpr int kAboutUnloadOrder = 0;

} // namespace

MainWindow::MainWindow(AppContext &context, QList<ToolEntry> tools, QWidget *parent)
    : QMainWindow(parent), m_context(context), m_tools(std::move(tools)), m_dialogs(context, this)
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

QAction *MainWindow::addItem(QMenu *menu, const QString &name, const QString &caption)
{
    QAction *item = menu->addAction(caption);
    item->setObjectName(name);
    m_items.insert(name, item);
    return item;
}

void MainWindow::addSeparator(QMenu *menu, const QString &name)
{
    QAction *bar = menu->addSeparator();
    bar->setObjectName(name);
    m_items.insert(name, bar);
}

void MainWindow::addToolItems(QMenu *menu, ToolEntry::Menu which)
{
    for (const ToolEntry &tool : m_tools) {
        if (tool.menu != which)
            continue;
        connect(addItem(menu, tool.menuItem, tool.menuCaption), &QAction::triggered, this,
                [this, &tool] { m_dialogs.show(tool); });
        if (!tool.separatorAfter.isEmpty())
            addSeparator(menu, tool.separatorAfter);
    }
}

void MainWindow::buildMenus()
{
    QMenu *file = addMenu("mnuFile", "&File");
    connect(addItem(file, QStringLiteral("mnuFileExit"), QStringLiteral("E&xit")),
            &QAction::triggered, this, &MainWindow::UnloadAllForms);

    QMenu *view = addMenu("mnuView", "&View");
    addToolItems(view, ToolEntry::Menu::View);
    QAction *toolbar = addItem(view, QStringLiteral("mnuViewToolbar"), QStringLiteral("&Toolbar"));
    toolbar->setCheckable(true);
    toolbar->setChecked(true);
    connect(toolbar, &QAction::triggered, this, &MainWindow::mnuViewToolbar_Click);

    QMenu *tools = addMenu("mnuTools", "&Tools");
    addToolItems(tools, ToolEntry::Menu::Tools);

    QMenu *help = addMenu("mnuHelp", "&Help");
    connect(addItem(help, QStringLiteral("mnuHelpSubscribeToUpdates"),
                    QStringLiteral("&Subscribe to Updates")),
            &QAction::triggered, this, [this] { showFirmwareUpdatesMessage(m_context); });
    connect(addItem(help, QStringLiteral("mnuHelpReleaseNotes"), QStringLiteral("&Release Notes")),
            &QAction::triggered, this, [this] { showReleaseNotesMessage(m_context); });
    addSeparator(help, QStringLiteral("mnuHelpBar0"));
    connect(addItem(help, QStringLiteral("mnuHelpAbout"), QStringLiteral("&About")),
            &QAction::triggered, this, &MainWindow::mnuHelpAbout_Click);
}

void MainWindow::buildToolbar()
{
    m_toolbar = addToolBar(QString());
    m_toolbar->setObjectName(QStringLiteral("tbrCustomTools"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setIconSize(QSize(32, 32));
    for (const ToolEntry &tool : m_tools) {
        // The settings name no toolbar pictures: each tool's row names its
        // file. A picture that is missing or unreadable leaves the button
        // without an icon.
        const QPixmap picture = loadPicture(m_context, tool.iconFile);
        QAction *button =
            m_toolbar->addAction(picture.isNull() ? QIcon() : QIcon(picture), tool.buttonKey);
        button->setObjectName(tool.buttonKey);
        button->setData(tool.buttonKey);
        button->setToolTip(tool.toolTip);
        m_buttons.insert(tool.buttonKey, button);
    }
    connect(m_toolbar, &QToolBar::actionTriggered, this,
            [this](QAction *button) { tbrCustomTools_ButtonClick(button->data().toString()); });
}

void MainWindow::ApplyToolOptions()
{
    const IniFile ini(m_context.settings.SettingsFilePath);
    for (const ToolEntry &tool : m_tools) {
        // A buffer of 11 keeps at most the first 10 characters of the value.
        const QString value =
            ini.read(QStringLiteral("options"), tool.optionKey, QStringLiteral("enabled"), 11)
                .value;
        if (value != QLatin1String("disabled"))
            continue;
        m_items.value(tool.menuItem)->setVisible(false);
        m_buttons.value(tool.buttonKey)->setVisible(false);
        if (!tool.separatorAfter.isEmpty())
            m_items.value(tool.separatorAfter)->setVisible(false);
    }
}

void MainWindow::tbrCustomTools_ButtonClick(const QString &key)
{
    for (const ToolEntry &tool : m_tools) {
        if (key == tool.buttonKey) {
            m_dialogs.show(tool);
            return;
        }
    }
}

QWidget *MainWindow::showTool(const QString &formName)
{
    for (const ToolEntry &tool : m_tools)
        if (tool.formName == formName)
            return offersTool(formName) ? m_dialogs.show(tool) : nullptr;
    return nullptr;
}

bool MainWindow::offersTool(const QString &formName) const
{
    for (const ToolEntry &tool : m_tools)
        if (tool.formName == formName)
            return m_items.value(tool.menuItem)->isVisible();
    return false;
}

MainWindow *mainWindowOf(const QWidget *dialog)
{
    return dialog ? qobject_cast<MainWindow *>(dialog->parentWidget()) : nullptr;
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
    m_dialogs.adopt(kAboutForm, kAboutUnloadOrder, about);
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
