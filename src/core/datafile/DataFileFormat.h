#pragma once

#include "core/device/DeviceRecord.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

// The device data file's text: one record per line, five double-quoted
// fields joined by commas, CR LF after every line, single-byte characters.

// The format has no escape, so a field is stored as text the reader gives back
// unchanged: a double quote (which would end the field) becomes an apostrophe,
// CR and LF (which would end the line) become blanks, and a character beyond
// Latin-1 becomes '?'. Any other field is stored as it is.
QString storedField(const QString &field);
DeviceRecord storedRecord(const DeviceRecord &record);

// "f1","f2","f3","f4","f5" CR LF, each field in its stored form, which is
// what parseRecords reads back.
QByteArray recordLine(const DeviceRecord &record);
QByteArray formatRecords(const QList<DeviceRecord> &records);

// The fields of each line that is not blank, in file order. Lines end at
// CR LF, LF or CR; commas separate fields. After leading blanks, a field that
// starts with a quote runs to the next quote (or, when the quote is never
// closed, to the end of its line) and the rest up to the next comma is
// skipped; any other field runs to the next comma.
QList<QStringList> readFieldLines(const QByteArray &bytes);

// One record per line: a short line is filled up with empty fields and fields
// past the fifth are ignored, so one hand-edited line never shifts the
// records after it.
QList<DeviceRecord> parseRecords(const QByteArray &bytes);
