#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

class CliCommand;
class CliOutput;
struct AppContext;
struct CommandDeclaration;

// One cfgutil command line, read against the commands' declarations.
struct CommandLine {
    bool json = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
    // The command named; null when none is named or the name is not a
    // command's.
    const CommandDeclaration *declared = nullptr;
    // Made, with its operands and options, when the line is good.
    std::unique_ptr<CliCommand> command;
    QString error; // bad usage: the reason (exit status 2)
};

// The options of every command. They are read wherever an option may stand,
// so even after a bad option; never as another option's value, nor after "--".
struct GlobalOption {
    QStringList names; // the first is the one messages show
    bool CommandLine::*flag;
    QString help;
};
const QList<GlobalOption> &globalOptions();

// `arguments` starts with the program name. The command is made on `context`
// and `output`, as the registry declares it.
CommandLine readCommandLine(const QStringList &arguments, AppContext &context, CliOutput &output);
