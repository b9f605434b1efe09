#include "core/datafile/DataFileFormat.h"

#include <cstring>
#include <utility>

namespace {

// Position of `c` in [from, end), or `end` when it is not there.
qsizetype findIn(const QByteArray &bytes, char c, qsizetype from, qsizetype end)
{
    const void *hit = std::memchr(bytes.constData() + from, c, size_t(end - from));
    return hit ? static_cast<const char *>(hit) - bytes.constData() : end;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// Reads fields of one line, [begin, end) free of line-end bytes.
void readLineFields(const QByteArray &bytes, qsizetype begin, qsizetype end, QStringList &out)
{
    qsizetype i = begin;
    for (;;) {
        while (i < end && isBlank(bytes[i]))
            ++i;
        qsizetype fieldEnd = i;
        QString field;
        if (i < end && bytes[i] == '"') {
            const qsizetype stop = findIn(bytes, '"', i + 1, end);
            field = QString::fromLatin1(bytes.constData() + i + 1, stop - i - 1);
            fieldEnd = stop;
        } else {
            fieldEnd = findIn(bytes, ',', i, end);
            field = QString::fromLatin1(bytes.constData() + i, fieldEnd - i);
        }
        out.append(field);
        const qsizetype comma = findIn(bytes, ',', fieldEnd, end);
        if (comma == end)
            return;
        i = comma + 1;
    }
}

bool blankOnly(const QByteArray &bytes, qsizetype begin, qsizetype end)
{
    for (qsizetype i = begin; i < end; ++i)
        if (!isBlank(bytes[i]))
            return false;
    return true;
}

// Calls `take` with the fields of each line that is not blank, in file order.
// One list is reused from line to line, so a file of many short lines costs no
// allocation per line.
template <typename Take> void forEachFieldLine(const QByteArray &bytes, Take take)
{
    QStringList fields;
    qsizetype i = 0;
    const qsizetype size = bytes.size();
    while (i < size) {
        qsizetype lineEnd = i;
        while (lineEnd < size && !isLineEnd(bytes[lineEnd]))
            ++lineEnd;
        if (!blankOnly(bytes, i, lineEnd)) {
            fields.clear();
            readLineFields(bytes, i, lineEnd, fields);
            take(std::as_const(fields));
        }
        i = lineEnd;
        if (i < size && bytes[i] == '\r')
            ++i;
        if (i < size && bytes[i] == '\n')
            ++i;
    }
}

} // namespace

QString storedField(const QString &field)
{
    QString stored = field;
    for (QChar &c : stored) {
        if (c == QLatin1Char('"'))
            c = QLatin1Char('\'');
        else if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
        else if (c.unicode() > 0xFF)
            c = QLatin1Char('?');
    }
    return stored;
}

DeviceRecord storedRecord(const DeviceRecord &record)
{
    DeviceRecord stored;
    for (int i = 0; i < DeviceRecord::FieldCount; ++i)
        stored.fields[size_t(i)] = storedField(record.fields[size_t(i)]);
    return stored;
}

QByteArray recordLine(const DeviceRecord &record)
{
    QByteArray line;
    for (int i = 0; i < DeviceRecord::FieldCount; ++i) {
        if (i > 0)
            line += ',';
        line += '"' + storedField(record.fields[size_t(i)]).toLatin1() + '"';
    }
    return line + "\r\n";
}

QByteArray formatRecords(const QList<DeviceRecord> &records)
{
    QByteArray bytes;
    bytes.reserve(records.size() * 80);
    for (const DeviceRecord &record : records)
        bytes += recordLine(record);
    return bytes;
}

QList<QStringList> readFieldLines(const QByteArray &bytes)
{
    QList<QStringList> lines;
    forEachFieldLine(bytes, [&lines](const QStringList &fields) { lines.append(fields); });
    return lines;
}

QList<DeviceRecord> parseRecords(const QByteArray &bytes)
{
    QList<DeviceRecord> records;
    forEachFieldLine(bytes, [&records](const QStringList &fields) {
        DeviceRecord record;
        for (qsizetype f = 0; f < DeviceRecord::FieldCount && f < fields.size(); ++f)
            record.fields[size_t(f)] = fields[f];
        records.append(std::move(record));
    });
    return records;
}
