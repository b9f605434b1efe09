#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// One cfgutil command line, parsed.
struct Invocation {
    QString command;      // "discover", "query", ...; empty when only help was asked for
    QStringList operands; // the command's positional arguments, in order
    bool json = false;
    bool quiet = false;
    bool help = false;

    QStringList interfaces;             // --interface, repeatable, also comma-separated
    std::optional<int> timeoutMs;       // --timeout SECONDS
    int count = 4;                      // ping -c N
    bool noConfirm = false;             // assign
    bool force = false;                 // assign: go on when the address answers already
    std::optional<QString> destination; // load-firmware, load-web
    bool createInfobase = false;        // load-firmware
    bool yes = false;                   // answer Yes where the windows would ask
    QString file;                       // save --file
    QString newAddress;                 // doctor
    QString device;                     // doctor
    int jobs = 8;                       // commission: devices at a time
    QString report;                     // commission --report FILE
    QString resume;                     // commission --resume REPORT
};

struct ParsedCommandLine {
    Invocation invocation;
    QString error; // bad usage: the reason (exit status 2)
};

// `arguments` starts with the program name.
ParsedCommandLine parseCommandLine(const QStringList &arguments);

// The --help text: commands, options, exit status.
QString helpText();
