#pragma once

#include "cli/CommandDeclaration.h"
#include "core/host/Diagnosis.h"
#include "core/host/LocalInterfaces.h"

#include <QHostAddress>
#include <QList>
#include <functional>
#include <optional>

class DeviceQuery;
class PingSeries;

// cfgutil doctor [--new-address IP] [--device IP]: this host's interfaces and
// subnets, ICMP permission and firewall rules; a new address's subnet and
// whether something answers it already; a device's subnet and whether it
// answers pings and the query. Findings in plain words. Exit status 0 when
// nothing is wrong, 1 when a problem was found.
class DoctorCommand : public CliCommand {
    Q_OBJECT
public:
    DoctorCommand(AppContext &context, CliOutput &output, QObject *parent = nullptr);
    static CommandDeclaration declaration();
    void start() override;

private:
    using Step = std::function<void()>;
    void next();
    // Pings once or twice; `done` gets true (answered), false, or nothing
    // when no ping could be sent.
    void ping(const QHostAddress &address, std::function<void(std::optional<bool>)> done);
    void checkNewAddress(const QHostAddress &address);
    void checkDevice(const QHostAddress &address);
    void add(const QList<Diagnosis::Finding> &findings);
    void report();

    QString m_newAddress; // empty when not asked about
    QString m_device;
    std::optional<int> m_timeoutMs;
    QList<LocalInterface> m_interfaces;
    bool m_canPing = false;
    QList<Step> m_steps;
    QList<Diagnosis::Finding> m_findings;
    PingSeries *m_ping = nullptr;
    DeviceQuery *m_query = nullptr;
};
