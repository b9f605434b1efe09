#pragma once

#include "cli/CommandDeclaration.h"

class AddressAssignment;
class AddressHolders;
class EndingCheck;
class PingSeries;

// cfgutil assign IP HW [--no-confirm] [--force]: the Assign IP dialog's
// checks; a probe of the new address (one that answers already is refused
// unless --force) and a look for other devices that the datagram would move
// too; the IP-SETUP datagram and, unless --no-confirm, the confirmation by
// ping and the proof: the query at the new address finds this device alone.
// Exit status 0 when proven (or sent, with --no-confirm), 1 when the device
// did not confirm, 2 for bad input or a refusal, 3 when no ping can be sent or
// no interface reaches the address.
class AssignCommand : public CliCommand {
    Q_OBJECT
public:
    AssignCommand(AppContext &context, CliOutput &output, QObject *parent = nullptr);
    static CommandDeclaration declaration();
    void start() override;

private:
    void probe();
    void lookForEndings();
    void send();
    void prove();
    void counted();

    bool m_noConfirm = false;
    bool m_force = false; // go on when the address answers already
    QString m_address;    // in its normal form
    quint32 m_value = 0;  // the same, as a number
    QString m_hardware;   // upper case
    PingSeries *m_probe = nullptr;
    EndingCheck *m_endings = nullptr;
    AddressAssignment *m_assignment = nullptr;
    AddressHolders *m_holders = nullptr;
};
