#pragma once

#include "core/support/Failure.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

struct ProgramPaths;
struct SettingsRecord;

// The firmware destinations that Load Firmware offers, by its rules: EndUser
// "KVR" fixes the one destination "Default KVR" (device file name "ROM") and
// no infobase is read or created; otherwise the product infobase beside the
// program lists them (its default file when InfobaseFile is "NONE", appended
// to at each load), and the user's copy is read and written where the program
// paths say.
struct FirmwareDestinationList {
    bool fixed = false;
    QStringList destinations;       // display names in file order
    QString infobasePath;           // the effective infobase; empty for the fixed destination
    QString infobaseName;           // the name shown when it is missing
    bool infobaseMissing = false;   // the named infobase is not there and was not created
    std::optional<Failure> failure; // what stopped the load; what came before it stays
};

// Asked when the named infobase is missing, with the name to show: true lets
// the default file be created in its place.
using CreateInfobaseQuestion = std::function<bool(const QString &shownName)>;

FirmwareDestinationList loadFirmwareDestinations(const SettingsRecord &settings,
                                                 const ProgramPaths &paths,
                                                 const CreateInfobaseQuestion &createMissing);

// The firmware destination of one download.
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

// The device file name of `requested` (trimmed; empty: the first destination),
// looked up in the effective infobase as it is now. Throws the file failure
// when the infobase cannot be read (file not found when it is missing).
FirmwareDestination lookUpFirmwareDestination(const FirmwareDestinationList &list,
                                              const QString &requested);

// Both steps for a download that has no one to ask. `createMissing`: the
// named infobase may be replaced by the default file, which a person
// answering Yes would allow. File failures are thrown.
FirmwareDestination resolveFirmwareDestination(const SettingsRecord &settings,
                                               const ProgramPaths &paths, const QString &requested,
                                               bool createMissing);

// "Did not find the Destination File selected\r\n'<name>' in the Product
// Infobase.\r\nPlease select another file and try again."
QString notInInfobaseMessage(const QString &destination);
