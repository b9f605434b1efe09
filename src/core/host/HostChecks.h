#pragma once

#include "core/host/Diagnosis.h"

// The checks of this host that every diagnosis of a missing device starts
// with: its interfaces and subnets, whether it may send pings, and the
// firewall rules for the device's query and TFTP ports.
struct HostChecks {
    QList<LocalInterface> interfaces;
    IcmpAvailability icmp;
    FirewallCheck firewall;
};

// Looks now (the firewall listing waits up to `firewallTimeoutMs`).
HostChecks checkHost(quint16 queryPort, quint16 tftpPort, int firewallTimeoutMs = 5000);

// Their findings, in that order.
QList<Diagnosis::Finding> hostFindings(const HostChecks &checks);

// Findings in plain words, one a line: "Problem: ...", "Warning: ...", "OK: ...".
QString findingsText(const QList<Diagnosis::Finding> &findings);
