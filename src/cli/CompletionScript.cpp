#include "cli/CompletionScript.h"

#include "cli/CommandDeclaration.h"
#include "cli/CommandLine.h"
#include "cli/CommandRegistry.h"

#include <QRegularExpression>
#include <QSet>
#include <QStringList>

namespace {

const QRegularExpression &choiceRange()
{
    static const QRegularExpression range(QStringLiteral("^([A-Z]+)(\\d)\\.\\.\\1(\\d)$"));
    return range;
}

// "query|ping": the words themselves.
const QRegularExpression &choiceList()
{
    static const QRegularExpression list(QStringLiteral("^[a-z]+(\\|[a-z]+)+$"));
    return list;
}

// A bash word in single quotes: anything in the command table is kept as it is.
QString quoted(const QString &word)
{
    QString text = word;
    return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QStringLiteral("'\\''")) +
           QLatin1Char('\'');
}

QString words(const QStringList &list)
{
    return quoted(list.join(QLatin1Char(' ')));
}

// How the completion function names a kind of value: the operands' list and
// the values' table hold these.
QString kindWord(ValueCompletion kind, const QString &valueName)
{
    switch (kind) {
    case ValueCompletion::File:
        return QStringLiteral("file");
    case ValueCompletion::Interface:
        return QStringLiteral("interface");
    case ValueCompletion::Choice:
        return choiceWords(valueName);
    case ValueCompletion::None:
        break;
    }
    return QStringLiteral("-");
}

// The part of the script that does not depend on the commands: finds the
// command and the operand being typed, then completes from the tables.
const char *const kCompletionBody = R"bash(
    local command= operand=0 only= i
    for ((i = 1; i < cword; i++)); do
        if [[ -z $only && ${words[i]} == -?* ]]; then
            if [[ ${words[i]} == -- ]]; then
                only=1
            elif [[ ${words[i]} != *=* && " $valued " == *" ${words[i]} "* ]]; then
                ((i++))
            fi
        elif [[ -z $command ]]; then
            command=${words[i]}
        else
            ((operand++))
        fi
    done

    if [[ -z $only && " $valued " == *" $prev "* ]]; then
        local kind=${values["$command $prev"]:--}
        case $kind in
        file) _filedir ;;
        interface)
            local head=
            [[ $cur == *,* ]] && head=${cur%,*},
            COMPREPLY=($(compgen -P "$head" -W "$(command ls /sys/class/net 2>/dev/null)" \
                -- "${cur##*,}"))
            ;;
        -) ;;
        *) COMPREPLY=($(compgen -W "$kind" -- "$cur")) ;;
        esac
        return
    fi
    $split && return

    if [[ -z $only && $cur == -* ]]; then
        COMPREPLY=($(compgen -W "${options[$command]:-} $common" -- "$cur"))
    elif [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$commands help" -- "$cur"))
    elif [[ $command == help ]]; then
        ((operand == 0)) && COMPREPLY=($(compgen -W "$commands" -- "$cur"))
    else
        local kinds=(${operands[$command]:-})
        [[ ${kinds[operand]:-} == file ]] && _filedir
    fi
} &&
    complete -F _cfgutil cfgutil
)bash";

} // namespace

ValueCompletion valueCompletion(const QString &option, const QString &valueName)
{
    if (option == QLatin1String("--interface"))
        return ValueCompletion::Interface;
    static const QSet<QString> files = {QStringLiteral("FILE"), QStringLiteral("PATH"),
                                        QStringLiteral("REPORT"), QStringLiteral("PLAN.csv")};
    if (files.contains(valueName))
        return ValueCompletion::File;
    if (choiceRange().match(valueName).hasMatch() || choiceList().match(valueName).hasMatch())
        return ValueCompletion::Choice;
    return ValueCompletion::None;
}

QString choiceWords(const QString &valueName)
{
    if (choiceList().match(valueName).hasMatch())
        return valueName.split(QLatin1Char('|')).join(QLatin1Char(' '));
    const QRegularExpressionMatch match = choiceRange().match(valueName);
    if (!match.hasMatch())
        return {};
    QStringList choices;
    for (int n = match.captured(2).toInt(); n <= match.captured(3).toInt(); ++n)
        choices.append(match.captured(1) + QString::number(n));
    return choices.join(QLatin1Char(' '));
}

QString bashCompletionScript()
{
    QStringList commands;
    QStringList valued;
    QString options;
    QString operands;
    QString values;
    for (const CommandDeclaration &command : registeredCommands()) {
        commands.append(command.name);
        QStringList names;
        for (const OptionDeclaration &option : command.options) {
            names += option.names;
            if (!option.takesValue())
                continue;
            for (const QString &name : option.names) {
                if (!valued.contains(name))
                    valued.append(name);
                const ValueCompletion kind = valueCompletion(name, option.valueName);
                if (kind != ValueCompletion::None)
                    values += QStringLiteral("        [%1]=%2\n")
                                  .arg(quoted(command.name + QLatin1Char(' ') + name),
                                       quoted(kindWord(kind, option.valueName)));
            }
        }
        QStringList kinds;
        for (const QString &operand : command.operands)
            kinds.append(kindWord(valueCompletion({}, operand), operand));
        options += QStringLiteral("        [%1]=%2\n").arg(quoted(command.name), words(names));
        operands += QStringLiteral("        [%1]=%2\n").arg(quoted(command.name), words(kinds));
    }
    QStringList common;
    for (const GlobalOption &option : globalOptions())
        common += option.names;

    return QStringLiteral("# bash completion for cfgutil -*- shell-script -*-\n"
                          "# Made from cfgutil's command table when it was built.\n"
                          "\n"
                          "_cfgutil()\n"
                          "{\n"
                          "    local cur prev words cword split\n"
                          "    _init_completion -s || return\n"
                          "\n"
                          "    local commands=%1\n"
                          "    local common=%2\n"
                          "    local valued=%3\n"
                          "    local -A options=(\n%4    )\n"
                          "    local -A operands=(\n%5    )\n"
                          "    local -A values=(\n%6    )\n")
               .arg(words(commands), words(common), words(valued), options, operands, values) +
           QString::fromLatin1(kCompletionBody);
}
