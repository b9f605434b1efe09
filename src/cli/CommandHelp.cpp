#include "cli/CommandHelp.h"

#include "cli/CommandDeclaration.h"
#include "cli/CommandLine.h"
#include "cli/CommandRegistry.h"
#include "cli/ExitCode.h"

namespace {
constexpr qsizetype kWidth = 80;

// Each line of `text` indented; the first line's indent is the caller's.
QString indented(const QString &text, qsizetype indent)
{
    return text.split(QLatin1Char('\n')).join(QLatin1Char('\n') + QString(indent, u' '));
}

// Words (or the parts of a synopsis) starting at `column`, broken between
// them to fit the width; a continued line is indented by `indent`.
QString wrapped(const QStringList &words, qsizetype column, qsizetype indent)
{
    QString text;
    for (const QString &word : words) {
        if (!text.isEmpty() && column + 1 + word.size() > kWidth) {
            text += QLatin1Char('\n') + QString(indent, u' ');
            column = indent;
        } else if (!text.isEmpty()) {
            text += QLatin1Char(' ');
            ++column;
        }
        text += word;
        column += word.size();
    }
    return text;
}

// The names of an option as its help shows them: "-c, --count N".
QString shownNames(const QStringList &names, const QString &valueName)
{
    const QString shown = names.join(QStringLiteral(", "));
    return valueName.isEmpty() ? shown : shown + QLatin1Char(' ') + valueName;
}
} // namespace

const QList<ExitStatusMeaning> &exitStatusMeanings()
{
    static const QList<ExitStatusMeaning> meanings = {
        {ExitCode::Done, QStringLiteral("done")},
        {ExitCode::DeviceFailed, QStringLiteral("the device failed or did not answer")},
        {ExitCode::BadInput,
         QStringLiteral("bad usage or input, or a question only a flag can answer (the message\n"
                        "names the flag)")},
        {ExitCode::Environment,
         QStringLiteral("the environment: no ICMP socket, no usable interface, a file or socket\n"
                        "that cannot be opened")},
    };
    return meanings;
}

QString helpText()
{
    QString text = QStringLiteral(
        "Usage: cfgutil [--json] [--quiet] COMMAND ARGUMENTS [OPTIONS]\n"
        "\n"
        "Configures serial-to-Ethernet device servers on this network segment, with the\n"
        "same rules and settings file as the windows.\n"
        "\n"
        "Commands:\n");
    for (const CommandDeclaration &command : registeredCommands())
        text += QStringLiteral("  %1\n      %2\n")
                    .arg(wrapped(command.synopsisParts(), 2, 6), indented(command.summary, 6));
    text += QStringLiteral("\nOptions of every command:\n");
    for (const GlobalOption &option : globalOptions())
        text += QStringLiteral("  %1%2\n")
                    .arg(option.names.first().leftJustified(10), indented(option.help, 12));
    text += QStringLiteral("Errors go to standard error; progress too, when it is a terminal.\n"
                           "\n"
                           "Exit status:\n");
    for (const ExitStatusMeaning &status : exitStatusMeanings())
        text += QStringLiteral("  %1  %2\n").arg(status.code).arg(indented(status.meaning, 5));
    return text;
}

QString commandHelpText(const CommandDeclaration &command)
{
    const QString usage = QStringLiteral("Usage: cfgutil ");
    QString text = QStringLiteral("%1%2\n\n  %3\n")
                       .arg(usage, wrapped(command.synopsisParts(), usage.size(), usage.size() + 4),
                            indented(command.summary, 2));
    qsizetype width = 0;
    for (const OptionDeclaration &option : command.options)
        width = qMax(width, shownNames(option.names, option.valueName).size());
    if (!command.options.isEmpty())
        text += QStringLiteral("\nOptions:\n");
    for (const OptionDeclaration &option : command.options)
        text += QStringLiteral("  %1  %2\n")
                    .arg(shownNames(option.names, option.valueName).leftJustified(width),
                         wrapped(option.help.split(QLatin1Char(' ')), width + 4, width + 4));
    QStringList global;
    for (const GlobalOption &option : globalOptions())
        global.append(option.names.size() > 1
                          ? QStringLiteral("%1 (%2)").arg(option.names.first(), option.names.at(1))
                          : option.names.first());
    text += QStringLiteral("\nAlso: %1, as for every command.\n")
                .arg(global.join(QStringLiteral(", ")));
    return text;
}
