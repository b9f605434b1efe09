#include "cli/CommandLine.h"

#include "cli/CliCommand.h"
#include "cli/CommandRegistry.h"

#include <optional>

namespace {

// What an option name means before the command is known: whether the next
// argument is its value. A name means the same in every command that takes it.
struct OptionKind {
    QString canonical;
    bool takesValue = false;
    const GlobalOption *global = nullptr;
};

std::optional<OptionKind> kindOf(const QString &name)
{
    for (const GlobalOption &global : globalOptions())
        if (global.names.contains(name))
            return OptionKind{global.names.first(), false, &global};
    for (const CommandDeclaration &command : registeredCommands())
        if (const OptionDeclaration *option = command.option(name))
            return OptionKind{option->names.first(), option->takesValue(), nullptr};
    return std::nullopt;
}

// "-c4": a one-letter option that takes a value, with the value attached.
bool hasAttachedValue(const QString &argument)
{
    if (argument.startsWith(QLatin1String("--")) || argument.size() <= 2)
        return false;
    const std::optional<OptionKind> kind = kindOf(argument.left(2));
    return kind && kind->takesValue;
}

struct GivenOption {
    QString name; // canonical
    QString value;
};

} // namespace

const QList<GlobalOption> &globalOptions()
{
    static const QList<GlobalOption> options = {
        {{QStringLiteral("--json")},
         &CommandLine::json,
         QStringLiteral("write one JSON document on standard output (its fields are listed\n"
                        "in cfgutil.md: share/doc/configutility/ when installed, docs/ in\n"
                        "the sources)")},
        {{QStringLiteral("--quiet"), QStringLiteral("-q")},
         &CommandLine::quiet,
         QStringLiteral("no plain results or progress; errors and the JSON document are\n"
                        "still written")},
        {{QStringLiteral("--help"), QStringLiteral("-h")},
         &CommandLine::help,
         QStringLiteral("show this text")},
        {{QStringLiteral("--version")},
         &CommandLine::version,
         QStringLiteral("show the program's name and version")},
    };
    return options;
}

CommandLine readCommandLine(const QStringList &arguments, AppContext &context, CliOutput &output)
{
    CommandLine line;
    QStringList words;
    QList<GivenOption> given;
    QString error; // the first; reading goes on so that the output flags still hold
    bool onlyWords = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (onlyWords || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            words.append(argument);
            continue;
        }
        if (argument == QLatin1String("--")) {
            onlyWords = true;
            continue;
        }
        QString name = argument;
        QString value;
        bool inlineValue = false;
        if (const qsizetype equals = argument.indexOf(QLatin1Char('=')); equals > 0) {
            name = argument.left(equals);
            value = argument.mid(equals + 1);
            inlineValue = true;
        } else if (hasAttachedValue(argument)) {
            name = argument.left(2);
            value = argument.mid(2);
            inlineValue = true;
        }
        const std::optional<OptionKind> kind = kindOf(name);
        const QString option = kind ? kind->canonical : name;
        const bool takesValue = kind && kind->takesValue;
        if (takesValue && !inlineValue) {
            // The next argument is the value whatever it looks like: "--file -h" names a file.
            if (i + 1 >= arguments.size()) {
                if (error.isEmpty())
                    error = QStringLiteral("%1 needs a value").arg(option);
                break;
            }
            value = arguments[++i];
        } else if (!takesValue && inlineValue) {
            if (error.isEmpty())
                error = QStringLiteral("%1 takes no value").arg(option);
            continue;
        }
        if (kind && kind->global)
            line.*(kind->global->flag) = true;
        else
            given.append({option, value});
    }
    if (!error.isEmpty()) {
        // The command was given all the same: its document and help pointer name it.
        line.declared = words.isEmpty() ? nullptr : findCommand(words.first());
        line.error = error;
        return line;
    }

    if (!words.isEmpty() && words.first() == QLatin1String("help")) {
        line.help = true;
        words.removeFirst();
    }
    if (line.help) {
        // "cfgutil ping --help", "cfgutil help ping": that command's help.
        if (!words.isEmpty())
            line.declared = findCommand(words.first());
        return line;
    }
    if (line.version)
        return line;
    if (words.isEmpty()) {
        line.error = QStringLiteral("No command given");
        return line;
    }
    line.declared = findCommand(words.first());
    if (!line.declared) {
        line.error = QStringLiteral("Unknown command \"%1\"").arg(words.first());
        return line;
    }
    const CommandDeclaration &declared = *line.declared;
    words.removeFirst();
    std::unique_ptr<CliCommand> command = declared.make(context, output);
    for (const GivenOption &option : std::as_const(given)) {
        const OptionDeclaration *taken = declared.option(option.name);
        if (!taken) {
            line.error = QStringLiteral("%1 does not take %2").arg(declared.name, option.name);
            return line;
        }
        if (const QString why = taken->read(*command, option.value); !why.isEmpty()) {
            line.error = why;
            return line;
        }
    }
    if (words.size() != declared.operands.size()) {
        line.error = QStringLiteral("Usage: cfgutil %1").arg(declared.synopsis());
        return line;
    }
    command->setArguments(declared.name, words);
    line.command = std::move(command);
    return line;
}
