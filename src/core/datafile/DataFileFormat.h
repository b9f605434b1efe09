#pragma once

#include "core/device/DeviceRecord.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

// The device data file's text: one record per line, five double-quoted
// fields joined by commas, CR LF after every line, single-byte characters.

// "f1","f2","f3","f4","f5" CR LF. Quotes inside a field are written as they are.
QByteArray recordLine(const DeviceRecord &record);
QByteArray formatRecords(const QList<DeviceRecord> &records);

// The file as a stream of fields. Commas and line ends (CR LF, LF or CR)
// separate fields. After leading blanks, a field that starts with a quote runs
// to the next quote (or, when the quote is never closed, to the end of its
// line) and the rest up to the next separator is skipped; any other field runs
// to the next separator. Blank lines hold no fields.
QStringList readFieldStream(const QByteArray &bytes);

// Groups the field stream five at a time into records, across line ends; a
// last, incomplete group is filled up with empty fields so no text is lost.
QList<DeviceRecord> parseRecords(const QByteArray &bytes);
