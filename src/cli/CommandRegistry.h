#pragma once

#include "cli/CommandDeclaration.h"

#include <QList>

// Every cfgutil command, in the order of --help. A new command is its class
// and one line in this list.
const QList<CommandDeclaration> &registeredCommands();

// The command of that name, or null.
const CommandDeclaration *findCommand(const QString &name);
