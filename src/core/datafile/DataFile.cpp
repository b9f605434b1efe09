#include "core/datafile/DataFile.h"

#include "core/datafile/DataFileFormat.h"
#include "core/settings/SettingsRecord.h"
#include "core/support/Failure.h"
#include "core/support/TextFile.h"

QList<DeviceRecord> readAllRecords(const QString &path)
{
    QList<DeviceRecord> records = parseRecords(readFileBytes(path));
    if (records.isEmpty())
        throw Failure(FailureNumber::InputPastEndOfFile, QStringLiteral("Input past end of file"));
    return records;
}

void writeAllRecords(const QString &path, const QList<DeviceRecord> &records)
{
    replaceFileContent(path, formatRecords(records));
}

SaveOutcome saveDeviceRecord(const QString &path, const DeviceRecord &record)
{
    const QByteArray existing = readExistingBytes(path);
    // Compared and stored as the file will hold it, so that saving the same
    // record again finds it.
    const DeviceRecord stored = storedRecord(record);
    QList<DeviceRecord> records = parseRecords(existing);
    bool found = false;
    for (DeviceRecord &each : records) {
        if (each.ipAddress() == stored.ipAddress()) {
            each = stored;
            found = true;
        }
    }
    if (found) {
        writeAllRecords(path, records);
        return SaveOutcome::Replaced;
    }
    replaceFileContent(path, withLineAdded(existing, recordLine(stored)));
    return SaveOutcome::Appended;
}

FileLocation splitLocation(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return {path.left(slash + 1), path.mid(slash + 1)};
}

QString joinLocation(const QString &folder, const QString &fileName)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder + fileName;
    return folder + QLatin1Char('/') + fileName;
}

void storeLocation(SettingsRecord &settings, const QString &path)
{
    const FileLocation location = splitLocation(path);
    SaveDataFileLocation(settings, location.folder, location.fileName);
}
