#pragma once

#include "cli/CommandDeclaration.h"

class AddressAssignment;
class AddressHolders;
class AddressProbe;
class EndingCheck;
class QueryPoll;

// cfgutil assign IP HW [--confirm query|ping] [--no-confirm] [--force]: the
// Assign IP dialog's checks; a probe of the new address (one in use already
// is refused unless --force) and a look for other devices that the datagram
// would move too; the IP-SETUP datagram and, unless --no-confirm, the
// confirmation: by default the device query at the new address, repeated
// until this device answers there alone; with --confirm ping, the Assign IP
// rule's pings and then that query once. Exit status 0 when confirmed (or
// sent, with --no-confirm), 1 when the device did not confirm, 2 for bad input
// or a refusal, 3 when the address cannot be probed or no interface reaches it.
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
    void confirmByQuery();
    void prove();
    void counted();
    // The query poll did not find the device alone: `why` says what answered.
    void notConfirmed(const QString &why, bool anyAnswer);

    QString m_confirm = QStringLiteral("query"); // or "ping"
    bool m_noConfirm = false;
    bool m_force = false; // go on when the address answers already
    QString m_address;    // in its normal form
    quint32 m_value = 0;  // the same, as a number
    QString m_hardware;   // upper case
    AddressProbe *m_probe = nullptr;
    EndingCheck *m_endings = nullptr;
    AddressAssignment *m_assignment = nullptr;
    QueryPoll *m_poll = nullptr;
    AddressHolders *m_holders = nullptr;
};
