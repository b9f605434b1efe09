#pragma once

#include <QString>

struct CommandDeclaration;

// cfgutil --help: every command's synopsis and summary, the options of every
// command, the exit status.
QString helpText();

// cfgutil COMMAND --help: its synopsis, summary and options.
QString commandHelpText(const CommandDeclaration &command);
