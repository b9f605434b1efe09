#pragma once

#include "core/device/DeviceRecord.h"

#include <QList>
#include <QString>

struct SettingsRecord;

// Reading and writing the device data file. Failures are thrown as Failure
// with the numbers the handlers test (53 file not found, 76 path not found).
// Every write goes to a temporary file beside the target that is renamed into
// place, so a failed write leaves the former file whole. Only where the folder
// cannot be written but the file can is the file written in place.

// All records of the file in file order, one per line. A file without a
// record (empty, or blank lines only) fails with 62, input past end of file.
QList<DeviceRecord> readAllRecords(const QString &path);

// Replaces the file's content with one line per record (creating the file).
void writeAllRecords(const QString &path, const QList<DeviceRecord> &records);

enum class SaveOutcome { Appended, Replaced };

// Stores one record in its stored form (storedRecord): every record whose IP
// address (first field) equals the record's takes the new record in its place
// and the file is rewritten in canonical form; otherwise the line is added at
// the end and the file's other bytes stay as they were. A missing or empty
// file gets the one line. A file that exists but cannot be read is never
// overwritten: its failure is thrown.
SaveOutcome saveDeviceRecord(const QString &path, const DeviceRecord &record);

// Folder (up to and including the last '/') and file name of a path.
struct FileLocation {
    QString folder;
    QString fileName;
};
FileLocation splitLocation(const QString &path);

// Folder followed by file name, with a '/' between them when the folder is
// not empty and lacks its trailing one.
QString joinLocation(const QString &folder, const QString &fileName);

// Records the path's folder and file name in the settings record and file.
void storeLocation(SettingsRecord &settings, const QString &path);
