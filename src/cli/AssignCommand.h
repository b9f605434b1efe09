#pragma once

#include "cli/CliCommand.h"

class AddressAssignment;

// cfgutil assign IP HW [--no-confirm]: the Assign IP dialog's checks, the
// IP-SETUP datagram and, unless --no-confirm, the confirmation by ping.
// Exit status 0 when confirmed (or sent, with --no-confirm), 1 when the
// device did not confirm, 2 for bad input, 3 when no ping can be sent.
class AssignCommand : public CliCommand {
    Q_OBJECT
public:
    AssignCommand(AppContext &context, const Invocation &invocation, CliOutput &output,
                  QObject *parent = nullptr);
    void start() override;

private:
    void counted();

    AddressAssignment *m_assignment = nullptr;
};
