#include "core/datafile/DataFile.h"

#include "core/datafile/DataFileFormat.h"
#include "core/settings/SettingsRecord.h"
#include "core/support/Failure.h"
#include "core/support/FileFailures.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    openOrThrow(file, QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw fileFailure(file, QIODevice::ReadOnly);
    return bytes;
}

bool endsWithLineEnd(const QByteArray &bytes)
{
    return bytes.endsWith('\n') || bytes.endsWith('\r');
}

} // namespace

QList<DeviceRecord> readAllRecords(const QString &path)
{
    QList<DeviceRecord> records = parseRecords(readBytes(path));
    if (records.isEmpty())
        throw Failure(FailureNumber::InputPastEndOfFile, QStringLiteral("Input past end of file"));
    return records;
}

void replaceFileContent(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    // In a folder the user may not write, a file the user may write is
    // written in place instead.
    file.setDirectWriteFallback(true);
    openOrThrow(file, QIODevice::WriteOnly);
    // A short write (disk full, size limit) is not always reported by the
    // write or the commit, but the flush sees it; nothing is renamed then.
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit())
        throw fileFailure(file, QIODevice::WriteOnly);
}

void writeAllRecords(const QString &path, const QList<DeviceRecord> &records)
{
    replaceFileContent(path, formatRecords(records));
}

SaveOutcome saveDeviceRecord(const QString &path, const DeviceRecord &record)
{
    // Only a file that is not there starts afresh; any other read failure is
    // reported so that the file is never replaced by the new line alone.
    const QByteArray existing =
        QFileInfo::exists(path) || path.isEmpty() ? readBytes(path) : QByteArray();

    QList<DeviceRecord> records = parseRecords(existing);
    bool found = false;
    for (DeviceRecord &each : records) {
        if (each.ipAddress() == record.ipAddress()) {
            each = record;
            found = true;
        }
    }
    if (found) {
        writeAllRecords(path, records);
        return SaveOutcome::Replaced;
    }
    QByteArray bytes = existing;
    if (!bytes.isEmpty() && !endsWithLineEnd(bytes))
        bytes += "\r\n"; // keep the new line off the end of an unterminated last line
    bytes += recordLine(record);
    replaceFileContent(path, bytes);
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
