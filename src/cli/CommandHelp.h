#pragma once

#include <QList>
#include <QString>

struct CommandDeclaration;

// What an exit status of cfgutil means: lines of help, unindented.
struct ExitStatusMeaning {
    int code;
    QString meaning;
};
const QList<ExitStatusMeaning> &exitStatusMeanings();

// cfgutil --help: every command's synopsis and summary, the options of every
// command, the exit status.
QString helpText();

// cfgutil COMMAND --help: its synopsis, summary and options.
QString commandHelpText(const CommandDeclaration &command);
