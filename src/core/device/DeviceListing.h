#pragma once

#include "core/device/DiscoveryTally.h"
#include "core/host/LocalInterfaces.h"

#include <QList>
#include <QString>
#include <QStringList>

// One device of a search as the device list shows it: what it said, and what
// keeps the other tools from using it as it is.
struct ListedDevice {
    DiscoveredDevice device;
    // The other hardware addresses that answered with the same IP address.
    QStringList sharedWith;
    // Set when no subnet of the interfaces it answered on holds its address:
    // those subnets, "198.18.5.0/24 on eth1". Unicast to it would then leave
    // by a router, so it needs an address before another tool can reach it.
    QString outsideOf;

    bool conflict() const { return !sharedWith.isEmpty(); }
    bool reachable() const { return outsideOf.isEmpty(); }
    // Empty for a device that needs nothing; else each problem, in words.
    QString status() const;
};

// The devices in the order given, each marked against the others and against
// this host's interfaces.
QList<ListedDevice> listDevices(const QList<DiscoveredDevice> &devices,
                                const QList<LocalInterface> &interfaces);

// The columns of the list, as titles.
namespace DeviceColumn {
enum : int {
    Address,
    HardwareAddress,
    DeviceType,
    FirmwareType,
    FirmwareVersion,
    Interface,
    Status,
    Count
};
} // namespace DeviceColumn
QStringList deviceListTitles();

// The device's text in each column, as it came (the firmware type is the
// device's own bytes: shown through shownText, written whole).
QStringList deviceListFields(const ListedDevice &device);

// A key per column that sorts as a person reads it: addresses and firmware
// versions by their numbers, the rest by text.
QString deviceSortKey(const ListedDevice &device, int column);
