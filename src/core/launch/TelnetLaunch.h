#pragma once

#include <QString>
#include <QStringList>

class ProgramLauncher;

// The two folders where the telnet program is looked for, and the one that a
// click tries first (the one that worked, or was tried, last).
struct TelnetFolders {
    QString system;
    QString windows;
    QString current;
};

enum class TelnetOutcome {
    Started,
    TelnetNotFound, // in neither folder, after three attempts
    NoTerminal,     // no terminal program to run telnet in
};

// The terminal that telnet runs in: x-terminal-emulator (the desktop's own
// choice), else xterm, looked for on `searchPath` (empty: PATH). Empty when
// there is neither.
QString findTerminal(const QStringList &searchPath = {});

// The port argument for the port box text: the text without the blanks
// around it, "23" (telnet's own port) when nothing else is left.
QString telnetPort(const QString &typed);

// One Telnet click: runs `<folder>/telnet <address> <port>` in a terminal
// window, each as one argument. A folder without the program switches
// `folders.current` to the other folder: the current folder, the other one
// and the current one again are tried before TelnetNotFound. A failure to
// start the terminal is thrown (Failure).
TelnetOutcome startTelnet(ProgramLauncher &launcher, TelnetFolders &folders, const QString &address,
                          const QString &port, const QStringList &searchPath = {});
