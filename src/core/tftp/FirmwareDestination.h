#pragma once

#include <QString>

struct ProgramPaths;
struct SettingsRecord;

// The firmware destination of a download that has no one to ask, resolved by
// the Load Firmware rules: EndUser "KVR" fixes "Default KVR" and the device
// file name "ROM"; otherwise the product infobase beside the program (its
// default file when InfobaseFile is "NONE", created or appended to as the
// dialog does) maps the display name to the device file name; the user's
// copy is read and written where the program paths say. An empty
// request takes the infobase's first entry.
struct FirmwareDestination {
    enum class Problem {
        None,
        InfobaseMissing, // the named infobase is not there and may not be created
        NotInInfobase,   // no line has the requested display name
        Fixed,           // EndUser fixes the destination and another was asked for
    };
    Problem problem = Problem::None;
    QString destination;    // the display name used
    QString deviceFileName; // the name the write request carries
    QString infobasePath;   // the infobase read (empty for the fixed destination)
    QString infobaseName;   // the name shown when it is missing
};

// `createMissing`: the named infobase may be replaced by the default file,
// which a person answering Yes would allow. File failures are thrown.
FirmwareDestination resolveFirmwareDestination(const SettingsRecord &settings,
                                               const ProgramPaths &paths, const QString &requested,
                                               bool createMissing);

// "Did not find the Destination File selected\r\n'<name>' in the Product
// Infobase.\r\nPlease select another file and try again."
QString notInInfobaseMessage(const QString &destination);
