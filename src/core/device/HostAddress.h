#pragma once

#include "core/host/LocalInterfaces.h"
#include "core/support/AddressChecks.h"

#include <QList>
#include <QString>
#include <QtGlobal>

// What an IPv4 address is on this host's segments: one a device may be
// given, or a kind that no device can have.
enum class AddressUse {
    Host,
    ThisNetwork,     // 0.0.0.0/8
    Loopback,        // 127.0.0.0/8
    Multicast,       // 224.0.0.0/4
    Reserved,        // 240.0.0.0/4, but for the next
    Broadcast,       // 255.255.255.255
    SubnetNetwork,   // the lowest address of its subnet
    SubnetBroadcast, // the highest
};

struct AddressJudgement {
    AddressUse use = AddressUse::Host;
    QString subnet;        // "198.18.0.0/24", for the two subnet kinds
    QString interfaceName; // whose subnet it is; empty for the implied /24

    // "198.18.0.255 is not a host address: it is the broadcast address of
    // 198.18.0.0/24 on eth1"; empty for a host address.
    QString problem(quint32 address) const;
};

// Judged against the subnet of the local interface that holds the address,
// which the IP-SETUP broadcast leaves by; where none does, against the /24
// that the broadcast's destination (the address with its last number 255)
// implies. A /31 or /32 has no network or broadcast address.
AddressJudgement judgeAddress(quint32 address, const QList<LocalInterface> &interfaces);

// readAddress, then judgeAddress: the value of a text that a device may be
// given, or the whole sentence that says why not.
AddressReading readNewDeviceAddress(const QString &text, AddressSpelling spelling,
                                    const QList<LocalInterface> &interfaces);
