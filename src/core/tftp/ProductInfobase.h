#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// One line of the product infobase: the device file name sent in the write
// request and the display name shown in the destination list.
struct InfobaseEntry {
    QString deviceFileName;
    QString displayName;
};

// The product infobase file beside the program: lines of two comma-separated
// fields, each optionally in double quotes; unquoted fields lose their
// surrounding blanks.
namespace ProductInfobase {

QString defaultFileName();    // "ProductInfobase.txt"
QByteArray defaultLine();     // "3Q","Standard" CR LF
QString defaultDisplayName(); // "Standard"

// True when the setting (trimmed, any case) is "NONE".
bool standsForDefault(const QString &setting);

// The name shown when the named file is missing: the trimmed setting cut
// after its first ".txt", or its first three characters without one.
QString shownMissingName(const QString &setting);

// The entry of one line, or nothing for a line without a second field.
std::optional<InfobaseEntry> parseLine(const QString &line);

// Every entry in file order. Throws the file failure when it cannot be
// opened, and Failure 62 when it holds no entry at all.
QList<InfobaseEntry> read(const QString &path);

// Appends the default line on a line of its own (after a line end when the
// last line has none), creating the file when needed; throws on failure.
void appendDefault(const QString &path);

// The device file name of the first line whose display name equals
// `displayName` exactly, or nothing. Throws when the file cannot be opened.
std::optional<QString> lookUp(const QString &path, const QString &displayName);

} // namespace ProductInfobase
