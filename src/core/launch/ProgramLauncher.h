#pragma once

#include <QString>
#include <QStringList>

// Starts outside programs (the terminal for telnet, the web browser) with an
// argument list, never through a shell, and neither waits for nor watches
// them.
class ProgramLauncher {
public:
    virtual ~ProgramLauncher() = default;

    // Throws Failure: FileNotFound when `program` names no runnable file
    // (a bare name is looked for on PATH), ProgramNotStarted when the system
    // would not start it.
    virtual void startDetached(const QString &program, const QStringList &arguments) = 0;
};

// The launcher of the running program: a detached child process.
ProgramLauncher &systemLauncher();
