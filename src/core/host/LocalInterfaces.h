#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// One IPv4 address of an interface, with its subnet.
struct InterfaceAddress {
    QHostAddress address;
    int prefixLength = 32;
    QHostAddress broadcast; // null when the interface has none

    // "198.18.5.0/24"
    QString subnetText() const;
    bool holds(const QHostAddress &other) const;
};

// A network interface of this host as the device tools see it.
struct LocalInterface {
    QString name;
    int index = 0;
    bool up = false;
    bool loopback = false;
    bool canBroadcast = false;
    QList<InterfaceAddress> ipv4;
};

// Every interface of this host, IPv4 addresses only.
QList<LocalInterface> localInterfaces();

// The interfaces a broadcast to the devices goes out of: each one named (it
// must exist, be up, have an IPv4 address and be able to broadcast), or,
// when none is named, every interface that is up, not loopback, has an IPv4
// address and can broadcast. `error` says why nothing can be used.
struct InterfaceChoice {
    QList<LocalInterface> chosen;
    QString error;
};
InterfaceChoice chooseBroadcastInterfaces(const QList<LocalInterface> &all,
                                          const QStringList &names);

// The interface and address whose subnet holds `address`, if any is up.
struct SubnetMatch {
    LocalInterface interface;
    InterfaceAddress entry;
};
std::optional<SubnetMatch> subnetHolding(const QList<LocalInterface> &all,
                                         const QHostAddress &address);
