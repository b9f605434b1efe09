#include "cli/CommandRegistry.h"

#include "cli/AssignCommand.h"
#include "cli/CommissionCommand.h"
#include "cli/DiscoverCommand.h"
#include "cli/DoctorCommand.h"
#include "cli/LoadCommand.h"
#include "cli/PingCommand.h"
#include "cli/QueryCommand.h"
#include "cli/SaveCommand.h"

const QList<CommandDeclaration> &registeredCommands()
{
    static const QList<CommandDeclaration> commands = {
        DiscoverCommand::declaration(),     QueryCommand::declaration(),
        AssignCommand::declaration(),       PingCommand::declaration(),
        LoadCommand::firmwareDeclaration(), LoadCommand::webPagesDeclaration(),
        SaveCommand::declaration(),         DoctorCommand::declaration(),
        CommissionCommand::declaration(),
    };
    return commands;
}

const CommandDeclaration *findCommand(const QString &name)
{
    for (const CommandDeclaration &command : registeredCommands())
        if (command.name == name)
            return &command;
    return nullptr;
}
