#pragma once

#include "cli/CliCommand.h"

class PingSeries;

// cfgutil ping IP [-c N]: pings until N replies or N time-outs, with the
// Ping Device dialog's lines. Exit status 0 after N replies, 1 after N
// time-outs.
class PingCommand : public CliCommand {
    Q_OBJECT
public:
    PingCommand(AppContext &context, const Invocation &invocation, CliOutput &output,
                QObject *parent = nullptr);
    void start() override;

private:
    PingSeries *m_series = nullptr;
};
