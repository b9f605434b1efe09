#pragma once

#include <QString>
#include <array>

// One device's identity as kept in the device data file, fields in file order:
// IP address, hardware address, firmware version, firmware type, device type.
struct DeviceRecord {
    static constexpr int FieldCount = 5;
    std::array<QString, FieldCount> fields;

    const QString &ipAddress() const { return fields[0]; }
    bool operator==(const DeviceRecord &other) const = default;
};
