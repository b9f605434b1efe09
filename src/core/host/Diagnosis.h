#pragma once

#include "core/host/FirewallRules.h"
#include "core/host/IcmpAvailability.h"
#include "core/host/LocalInterfaces.h"

#include <QHostAddress>
#include <QList>
#include <QString>
#include <optional>

// Why a device may not be found or reached, in plain words: each check of
// this host turned into findings. The checks themselves (interfaces, ICMP
// sockets, firewall rules, pings, queries) are made by the caller.
namespace Diagnosis {

struct Finding {
    enum class Severity { Ok, Warning, Problem };
    Severity severity = Severity::Ok;
    QString text;
};

QString severityName(Finding::Severity severity); // "ok", "warning", "problem"

QList<Finding> interfaces(const QList<LocalInterface> &all);
QList<Finding> icmp(const IcmpAvailability &availability);
QList<Finding> firewall(const FirewallCheck &check);

// Where the IP-SETUP datagram for a new address goes: the address with its
// last octet 255, whatever the subnet's mask.
QHostAddress ipSetupDestination(const QHostAddress &newAddress);

// A new address before it is assigned: in which local subnet it lies, where
// its IP-SETUP datagram would go, and whether something answers it already.
// `answersPing` is empty when it could not be pinged; an address in no local
// subnet is not to be pinged (an answer would come from elsewhere).
QList<Finding> newAddress(const QList<LocalInterface> &all, const QHostAddress &address,
                          std::optional<bool> answersPing);

// A device already addressed: its subnet, and whether it answers pings and
// the device query on `queryPort` (empty when that could not be tried).
QList<Finding> device(const QList<LocalInterface> &all, const QHostAddress &address,
                      quint16 queryPort, std::optional<bool> answersPing,
                      std::optional<bool> answersQuery);

} // namespace Diagnosis
