#pragma once

#include "cli/CommandDeclaration.h"

class PingSeries;

// cfgutil ping IP [-c N]: pings until N replies or N time-outs, with the
// Ping Device dialog's lines. Exit status 0 after N replies, 1 after N
// time-outs.
class PingCommand : public CliCommand {
    Q_OBJECT
public:
    PingCommand(AppContext &context, CliOutput &output, QObject *parent = nullptr);
    static CommandDeclaration declaration();
    void start() override;

private:
    int m_count; // the Ping Device limit unless -c says otherwise
    PingSeries *m_series = nullptr;
};
