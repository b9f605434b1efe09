#pragma once

#include "gui/shell/DialogRegistry.h"
#include "gui/shell/ToolEntry.h"

#include <QHash>
#include <QMainWindow>
#include <QString>

struct AppContext;
class QAction;
class QMenu;
class QToolBar;

// frmMain: the launcher. Its menus and the toolbar tbrCustomTools open the tool
// dialogs (modeless, one each), the data file viewer, the Help messages and the
// modal About box. Closing it closes every dialog first.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // `tools`: the tools it offers, in toolbar order (programTools()).
    MainWindow(AppContext &context, QList<ToolEntry> tools, QWidget *parent = nullptr);

    // Hides the menu item and toolbar button of every tool that section
    // "options" of the settings file sets to "disabled" (exactly that word).
    void ApplyToolOptions();

    // Closes and releases every open dialog in their fixed order, then this window.
    void UnloadAllForms();

    // A toolbar click: runs the tool whose button key equals `key` exactly; a
    // key of no tool does nothing.
    void tbrCustomTools_ButtonClick(const QString &key);

    const DialogRegistry &dialogs() const { return m_dialogs; }

    // How one tool opens another: as its menu item would, by form name, when
    // the settings offer that tool. Returns the dialog, or nullptr.
    QWidget *showTool(const QString &formName);
    bool offersTool(const QString &formName) const;

protected:
    void closeEvent(QCloseEvent *event) override;
    // No right-click menu over the bars: View, Toolbar alone shows and hides the
    // toolbar, so its check mark always tells the truth.
    QMenu *createPopupMenu() override { return nullptr; }

private:
    QMenu *addMenu(const char *name, const char *caption);
    QAction *addItem(QMenu *menu, const QString &name, const QString &caption);
    void addSeparator(QMenu *menu, const QString &name);
    void addToolItems(QMenu *menu, ToolEntry::Menu which);
    void buildMenus();
    void buildToolbar();
    void mnuViewToolbar_Click();
    void mnuHelpAbout_Click();

    AppContext &m_context;
    const QList<ToolEntry> m_tools;
    DialogRegistry m_dialogs;
    QToolBar *m_toolbar = nullptr;
    QHash<QString, QAction *> m_items;   // menu items and separators by name
    QHash<QString, QAction *> m_buttons; // toolbar buttons by key
    bool m_unloading = false;
};

// The main window a tool dialog was opened from (its parent), or nullptr.
MainWindow *mainWindowOf(const QWidget *dialog);
