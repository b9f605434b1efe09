#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

// A local firewall rule that may stop the device traffic.
struct FirewallFinding {
    QString table; // "inet filter"
    QString chain;
    QString rule; // the rule as listed
    QString what; // "drops UDP 30718", "drops all UDP", "drops by default (policy)"
};

struct FirewallCheck {
    QList<quint16> ports; // the ports it looked for
    bool checked = false;
    QString reason; // why it could not be checked
    QList<FirewallFinding> findings;
};

// The rules of an `nft list ruleset` listing that drop or reject UDP to or
// from one of `ports` (one port, a range or an anonymous set), UDP as a
// whole, or everything; and base chains whose policy is drop. Rules that
// match only certain addresses, or negate the port, are not reported. A rule
// is judged by its verdict statement; quoted texts (comments, log prefixes)
// say nothing about it.
QList<FirewallFinding> findDroppingRules(const QString &ruleset, const QList<quint16> &ports);

// Reads the ruleset with `nft list ruleset` (waits up to `timeoutMs`).
// Without the program, or without the right to read the rules, the result
// says it could not check.
FirewallCheck checkFirewall(const QList<quint16> &ports, int timeoutMs);
