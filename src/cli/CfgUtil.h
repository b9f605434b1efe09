#pragma once

#include "cli/CliOutput.h"

#include <QObject>
#include <QStringList>
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
    // loop, also for bad usage and --help.
    void run(const QStringList &arguments, AppContext &context);

Q_SIGNALS:
    void finished(int exitCode);

private:
    void end(int exitCode);

    CliOutput m_output;
    QIODevice &m_out;
    std::unique_ptr<TerminalPrompts> m_prompts;
    std::unique_ptr<CliCommand> m_command;
};
