#pragma once

#include <QString>

// How the windows search for devices, from section [FindDevices] of the
// settings file: Interface= names the one interface searched ("all", empty
// or missing: every one), Timeout= the seconds the replies are waited for
// (the discovery default unless a number above 0, at most 3600, is given).
struct DeviceSearchSettings {
    QString interfaceName; // empty: every interface
    int timeoutMs = 0;
};

// `defaultTimeoutMs`: the discovery default of the program.
DeviceSearchSettings readDeviceSearchSettings(const QString &settingsFile, int defaultTimeoutMs);

// Remembers the interface chosen (empty: every one); false when the settings
// file could not be written.
bool storeSearchInterface(const QString &settingsFile, const QString &interfaceName);
