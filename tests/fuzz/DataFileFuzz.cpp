// The device data file on any content and any new record. The input is the
// new record's fields (separated by 0x1F, up to the first 0x1E) followed by
// the file. An empty first field stands for the IP address of the file's
// last record, so that replacing is reached as often as appending.
//
// Every record read is single-line text; records written read back as
// written, in their stored form; saving a record appends it after the old
// records, or replaces those with its IP address and keeps every other one.

#include "FuzzSupport.h"
#include "core/datafile/DataFile.h"
#include "core/datafile/DataFileFormat.h"

namespace {

QList<DeviceRecord> stored(const QList<DeviceRecord> &records)
{
    QList<DeviceRecord> out;
    for (const DeviceRecord &record : records)
        out.append(storedRecord(record));
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    InputParts parts(inputBytes(data, size));
    const QList<QByteArray> fields = parts.next().split('\x1F');
    const QByteArray before = parts.rest();

    const QList<DeviceRecord> records = parseRecords(before);
    for (const DeviceRecord &record : records) {
        for (const QString &field : record.fields)
            FUZZ_CHECK(!field.contains('\r') && !field.contains('\n'));
        FUZZ_CHECK(storedRecord(storedRecord(record)) == storedRecord(record));
    }
    FUZZ_CHECK(parseRecords(formatRecords(records)) == stored(records));

    DeviceRecord added;
    for (qsizetype i = 0; i < fields.size() && i < DeviceRecord::FieldCount; ++i)
        added.fields[size_t(i)] = QString::fromUtf8(fields[i]);
    if (added.fields[0].isEmpty() && !records.isEmpty())
        added.fields[0] = records.last().ipAddress();
    const DeviceRecord storedAdded = storedRecord(added);

    const QString path = scratchFile(QStringLiteral("devices.txt"));
    writeScratch(path, before);
    QList<DeviceRecord> expected;
    bool found = false;
    for (const DeviceRecord &record : records) {
        const bool same = record.ipAddress() == storedAdded.ipAddress();
        found = found || same;
        expected.append(same ? storedAdded : storedRecord(record));
    }
    const SaveOutcome outcome = saveDeviceRecord(path, added);
    FUZZ_CHECK(outcome == (found ? SaveOutcome::Replaced : SaveOutcome::Appended));
    if (!found) {
        // Appending leaves the old bytes as they were.
        FUZZ_CHECK(readScratch(path).startsWith(before));
        expected = records;
        expected.append(storedAdded);
    }
    FUZZ_CHECK(readAllRecords(path) == expected);
    return 0;
}
