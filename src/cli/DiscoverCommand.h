#pragma once

#include "cli/CommandDeclaration.h"

#include <QStringList>
#include <optional>

class DeviceDiscovery;

// cfgutil discover: every device on the segments of this host, with the
// interface it answered on and the addresses that two devices answer with.
// Exit status 0 when a device answered, 1 when none did.
class DiscoverCommand : public CliCommand {
    Q_OBJECT
public:
    using CliCommand::CliCommand;
    static CommandDeclaration declaration();
    void start() override;

private:
    void report();

    QStringList m_interfaceNames; // none: every up interface
    std::optional<int> m_timeoutMs;

    DeviceDiscovery *m_discovery = nullptr;
};
