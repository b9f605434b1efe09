#pragma once

#include "cli/CliOutput.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

class CliCommand;
class TerminalPrompts;
class QIODevice;
struct AppContext;

// One run of cfgutil: parses the command line, runs its command on the event
// loop with the shared context, and reports the exit status.
class CfgUtil : public QObject {
    Q_OBJECT
public:
    CfgUtil(QIODevice &out, QIODevice &err, bool errIsTerminal, QObject *parent = nullptr);
    ~CfgUtil() override;

    // `arguments` starts with the program name. The context's prompts are
    // replaced by ones that never ask. finished() follows through the event
    // loop, also for bad usage and --help. `prepare` (the paths and settings
    // of the run) is called only for a command that is started, so help and
    // bad usage neither read the settings nor make the user's folders.
    using Prepare = std::function<void(AppContext &)>;
    void run(const QStringList &arguments, AppContext &context, const Prepare &prepare = {});

Q_SIGNALS:
    void finished(int exitCode);

private:
    void end(int exitCode);

    CliOutput m_output;
    QIODevice &m_out;
    std::unique_ptr<TerminalPrompts> m_prompts;
    std::unique_ptr<CliCommand> m_command;
};
