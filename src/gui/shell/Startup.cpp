#include "gui/shell/Startup.h"

#include "gui/shell/MainWindow.h"
#include "gui/shell/SplashWindow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

Startup::Startup(QList<ToolEntry> tools) : m_context(m_ownContext), m_tools(std::move(tools))
{
    m_ownContext.paths = programPathsFor(QCoreApplication::applicationDirPath());
    m_ownContext.prompts = &m_prompts;
}

Startup::Startup(AppContext &context, QList<ToolEntry> tools)
    : m_context(context), m_tools(std::move(tools))
{
}

Startup::~Startup()
{
    // The dialogs hold the context: they go before it does.
    delete m_mainWindow.data();
}

MainWindow *Startup::mainWindow() const
{
    return m_mainWindow.data();
}

void Startup::Main()
{
    prepareUserFiles(m_context.paths);
    m_context.settings = LoadSettings(m_context.paths);
    LoadSystemDirectories(m_context.settings);

    {
        SplashWindow frmSplash(m_context);
        frmSplash.show();
        waitHandlingEvents(m_context.intervals.splashMs);
        frmSplash.close();
    }

    auto *mainForm = new MainWindow(m_context, m_tools);
    m_mainWindow = mainForm;
    mainForm->setWindowTitle(m_context.settings.TitleBarName);
    mainForm->show();
}

void waitHandlingEvents(int ms)
{
    QElapsedTimer clock;
    clock.start();
    // A timer may fire a little early: wait again for what is left.
    while (clock.elapsed() < ms) {
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(int(ms - clock.elapsed()));
        loop.exec();
    }
}
