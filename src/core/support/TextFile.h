#pragma once

#include <QByteArray>
#include <QString>

// Whole-file reads and writes of the small text files the program keeps (the
// device data file, the product infobase). Failures are thrown as Failure by
// the numbers the handlers test (53 file not found, 76 path not found).

// Every byte of a regular file.
QByteArray readFileBytes(const QString &path);

// The same, except that a file that is not there reads as no bytes. Any other
// read failure is thrown, so a file that cannot be read is never replaced by
// new content alone.
QByteArray readExistingBytes(const QString &path);

// Writes the bytes to a temporary file beside `path` and renames it over it,
// so a failed write leaves the former file whole. Only where the folder
// cannot be written but the file can is the file written in place.
void replaceFileContent(const QString &path, const QByteArray &bytes);

// `bytes` with `line` (which brings its own line end) added on a line of its
// own: an unterminated last line first gets CR LF, so the two never run
// together into one line.
QByteArray withLineAdded(QByteArray bytes, const QByteArray &line);

// Adds `line` at the end of the file, creating the file when it is missing.
void appendLine(const QString &path, const QByteArray &line);
