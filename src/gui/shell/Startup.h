#pragma once

#include "core/session/AppContext.h"
#include "gui/shell/ToolEntry.h"
#include "gui/shell/WidgetPrompts.h"

#include <QPointer>

class MainWindow;

// The start-up routine and what lives for the whole run: the shared context,
// the message boxes and the main window.
class Startup {
public:
    // A real run: the paths are decided from the executable's folder, prompts
    // are real message boxes and file dialogs.
    explicit Startup(QList<ToolEntry> tools);
    // A run on a given context (tests: temporary folder, scripted prompts,
    // short splash); the context must outlive this object.
    Startup(AppContext &context, QList<ToolEntry> tools);
    ~Startup();
    Startup(const Startup &) = delete;
    Startup &operator=(const Startup &) = delete;

    // Makes the user's files on a first installed start, reads the settings,
    // shows the splash for intervals.splashMs while window events go on being
    // handled, then shows the main window with TitleBarName (as stored, blanks
    // kept) as its caption. The program then runs until the main window is
    // closed.
    void Main();

    AppContext &context() { return m_context; }
    // The main window while it exists.
    MainWindow *mainWindow() const;

private:
    WidgetPrompts m_prompts;
    AppContext m_ownContext;
    AppContext &m_context;
    QList<ToolEntry> m_tools;
    QPointer<MainWindow> m_mainWindow;
};

// Lets window events be handled until at least `ms` milliseconds have passed.
void waitHandlingEvents(int ms);
