#include "core/host/Diagnosis.h"

#include "core/device/AddressText.h"

#include <QStringList>

namespace Diagnosis {

namespace {
using Severity = Finding::Severity;

Finding ok(const QString &text)
{
    return {Severity::Ok, text};
}
Finding warning(const QString &text)
{
    return {Severity::Warning, text};
}
Finding problem(const QString &text)
{
    return {Severity::Problem, text};
}

QString subnetsText(const QList<LocalInterface> &all)
{
    QStringList subnets;
    for (const LocalInterface &interface : all) {
        if (!interface.up || interface.loopback)
            continue;
        for (const InterfaceAddress &entry : interface.ipv4)
            if (entry.prefixLength < 32)
                subnets.append(entry.subnetText() + QStringLiteral(" on ") + interface.name);
    }
    return subnets.isEmpty() ? QStringLiteral("none") : subnets.join(QStringLiteral(", "));
}

bool isLocalAddress(const QList<LocalInterface> &all, const QHostAddress &address)
{
    for (const LocalInterface &interface : all)
        for (const InterfaceAddress &entry : interface.ipv4)
            if (entry.address == address)
                return true;
    return false;
}
} // namespace

QString severityName(Finding::Severity severity)
{
    switch (severity) {
    case Severity::Ok:
        return QStringLiteral("ok");
    case Severity::Warning:
        return QStringLiteral("warning");
    case Severity::Problem:
        return QStringLiteral("problem");
    }
    return {};
}

QList<Finding> interfaces(const QList<LocalInterface> &all)
{
    const InterfaceChoice choice = chooseBroadcastInterfaces(all, {});
    if (!choice.error.isEmpty())
        return {problem(choice.error + QStringLiteral(": no query or IP-SETUP broadcast can "
                                                      "reach a device."))};
    QStringList names;
    for (const LocalInterface &interface : choice.chosen)
        names.append(interface.name);
    return {ok(QStringLiteral("Devices are looked for on %1 (subnets: %2).")
                   .arg(names.join(QStringLiteral(", ")), subnetsText(all)))};
}

QList<Finding> icmp(const IcmpAvailability &availability)
{
    if (availability.datagram)
        return {ok(QStringLiteral("Pings can be sent (ICMP datagram sockets are allowed)."))};
    if (availability.raw)
        return {ok(QStringLiteral("Pings can be sent (raw ICMP socket, a privileged process). "
                                  "Without that privilege they could not: ping_group_range is "
                                  "\"%1\".")
                       .arg(availability.pingGroupRange))};
    return {problem(QStringLiteral("No ICMP socket can be opened (datagram: %1; raw: %2), so "
                                   "pings and the Assign IP confirmation cannot work. "
                                   "net.ipv4.ping_group_range is \"%3\" and leaves out this "
                                   "user's groups; allow them with: %4")
                        .arg(availability.datagramError, availability.rawError,
                             availability.pingGroupRange, IcmpAvailability::sysctlAdvice()))};
}

QList<Finding> firewall(const FirewallCheck &check)
{
    if (!check.checked)
        return {warning(QStringLiteral("Firewall: could not check (%1).").arg(check.reason))};
    if (check.findings.isEmpty()) {
        QStringList ports;
        for (const quint16 port : check.ports)
            ports.append(QString::number(port));
        return {ok(QStringLiteral("Firewall: no local rule drops UDP %1.")
                       .arg(ports.join(QStringLiteral(" or "))))};
    }
    QList<Finding> result;
    for (const FirewallFinding &finding : check.findings) {
        const bool policy = finding.rule.startsWith(QLatin1String("type "));
        const QString text = QStringLiteral("Firewall: chain %1 of table %2 %3: %4")
                                 .arg(finding.chain, finding.table, finding.what, finding.rule);
        result.append(
            policy ? warning(text + QStringLiteral(" (a rule must accept the device traffic)"))
                   : problem(text));
    }
    return result;
}

QHostAddress ipSetupDestination(const QHostAddress &newAddress)
{
    return QHostAddress(BroadcastAddressText(newAddress.toString()));
}

QList<Finding> newAddress(const QList<LocalInterface> &all, const QHostAddress &address,
                          std::optional<bool> answersPing)
{
    QList<Finding> result;
    const QString text = address.toString();
    const QHostAddress destination = ipSetupDestination(address);
    if (isLocalAddress(all, address))
        result.append(problem(
            QStringLiteral("%1 is an address of this computer: no device can take it.").arg(text)));
    const std::optional<SubnetMatch> match = subnetHolding(all, address);
    if (!match) {
        result.append(problem(
            QStringLiteral("%1 lies in no local subnet: the IP-SETUP broadcast for it (to %2) "
                           "would leave by the default route, if there is one, and never reach "
                           "the device. Choose an address in a local subnet (%3), or give this "
                           "computer an address in the new one first.")
                .arg(text, destination.toString(), subnetsText(all))));
    } else if (destination != match->entry.broadcast) {
        const QString subnet = match->entry.subnetText();
        result.append(problem(
            match->entry.holds(destination)
                ? QStringLiteral("%1 lies in %2 on %3, but the IP-SETUP datagram goes to %4, "
                                 "which in that subnet is an ordinary address, not its "
                                 "broadcast (%5): the device will not see it.")
                      .arg(text, subnet, match->interface.name, destination.toString(),
                           match->entry.broadcast.toString())
                : QStringLiteral("%1 lies in %2 on %3, but the IP-SETUP datagram goes to %4, "
                                 "outside that subnet: it would leave by the default route.")
                      .arg(text, subnet, match->interface.name, destination.toString())));
    } else {
        result.append(ok(QStringLiteral("%1 lies in %2 on %3; the IP-SETUP broadcast goes to %4.")
                             .arg(text, match->entry.subnetText(), match->interface.name,
                                  destination.toString())));
    }
    if (!match)
        return result; // not pinged: nothing on this segment could answer it
    if (!answersPing)
        result.append(
            warning(QStringLiteral("Whether something already answers at %1 could not be checked.")
                        .arg(text)));
    else if (*answersPing)
        result.append(problem(QStringLiteral("%1 already answers a ping: assigning it to a "
                                             "device would make an address conflict.")
                                  .arg(text)));
    else
        result.append(ok(QStringLiteral("Nothing answers a ping at %1 yet.").arg(text)));
    return result;
}

QList<Finding> device(const QList<LocalInterface> &all, const QHostAddress &address,
                      quint16 queryPort, std::optional<bool> answersPing,
                      std::optional<bool> answersQuery)
{
    QList<Finding> result;
    const QString text = address.toString();
    if (const auto match = subnetHolding(all, address))
        result.append(ok(QStringLiteral("%1 lies in %2 on %3.")
                             .arg(text, match->entry.subnetText(), match->interface.name)));
    else
        result.append(warning(QStringLiteral("%1 lies in no local subnet: the device is reached "
                                             "only through a router, and discovery (a broadcast) "
                                             "will not find it. Local subnets: %2.")
                                  .arg(text, subnetsText(all))));
    if (!answersQuery)
        result.append(warning(QStringLiteral("%1 could not be queried.").arg(text)));
    else if (*answersQuery)
        result.append(ok(QStringLiteral("%1 answers the device query.").arg(text)));
    else if (!answersPing)
        result.append(problem(QStringLiteral("%1 does not answer the device query (and could not "
                                             "be pinged).")
                                  .arg(text)));
    else if (*answersPing)
        result.append(problem(QStringLiteral("%1 answers pings but not the device query on UDP "
                                             "%2: it may be another kind of device, or a "
                                             "firewall between drops that port.")
                                  .arg(text)
                                  .arg(queryPort)));
    else
        result.append(problem(QStringLiteral("%1 answers neither pings nor the device query: "
                                             "check the address, the cabling and the subnet.")
                                  .arg(text)));
    return result;
}

} // namespace Diagnosis
