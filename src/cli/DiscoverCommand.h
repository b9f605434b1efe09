#pragma once

#include "cli/CliCommand.h"

class DeviceDiscovery;

// cfgutil discover: every device on the segments of this host, with the
// interface it answered on and the addresses that two devices answer with.
// Exit status 0 when a device answered, 1 when none did.
class DiscoverCommand : public CliCommand {
    Q_OBJECT
public:
    DiscoverCommand(AppContext &context, const Invocation &invocation, CliOutput &output,
                    QObject *parent = nullptr);
    void start() override;

private:
    void report();

    DeviceDiscovery *m_discovery = nullptr;
};
