#pragma once

#include "core/support/FileIdentity.h"

#include <QList>
#include <QString>

struct AppContext;
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

// Why the records could not be stored in the data file, naming it; empty when
// they can.
QString dataFileNotWritable(const QString &path);

// The program's own files a command reads or adds to (the settings file, the
// product infobase, the error log): no file a command writes may be one of them.
QList<FileUse> programFileUses(const AppContext &context);
