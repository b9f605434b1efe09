#pragma once

#include <QString>
#include <utility>

// Whether this process can send pings, and if not, what to change.
struct IcmpAvailability {
    bool datagram = false; // an unprivileged ICMP datagram socket opens
    bool raw = false;      // a raw ICMP socket opens (CAP_NET_RAW)
    QString datagramError;
    QString rawError;
    QString pingGroupRange;    // net.ipv4.ping_group_range as read, e.g. "1 0"
    bool groupInRange = false; // one of this process's groups lies in that range

    bool usable() const { return datagram || raw; }
    // The command that lets every group open datagram ICMP sockets (the
    // range most desktop systems set).
    static QString sysctlAdvice();
};

// Opens and closes one socket of each kind to find out.
IcmpAvailability probeIcmp();

// "1\t0" -> {1, 0}; {1, 0} (nobody) when unreadable.
std::pair<qint64, qint64> readGroupRange(const QString &text);
