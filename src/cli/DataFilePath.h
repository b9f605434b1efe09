#pragma once

#include <QString>

struct SettingsRecord;

// The device data file a command writes to: `given` (--file), else the file
// of the settings, as an absolute path. `error` says why none can be used;
// `folderMissing` marks the case the windows would answer by asking again.
struct DataFilePath {
    QString path;
    QString error;
    bool folderMissing = false;
};

DataFilePath chooseDataFile(const SettingsRecord &settings, const QString &given);
