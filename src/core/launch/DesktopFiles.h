#pragma once

#include <QHash>
#include <QString>

// The largest desktop entry or association list that is read; a bigger one
// is no file of the desktop's.
constexpr qint64 kMaxDesktopFileBytes = 1 << 20;

// One group of an XDG key file (desktop entry, mimeapps.list): UTF-8,
// "[Group]" headers, "Key=Value" lines, "#" comments; the first of duplicate
// keys wins. Only a regular file of at most kMaxDesktopFileBytes is read,
// without ever waiting on it (a FIFO, a device or a bigger file reads as an
// empty group).
QHash<QString, QString> readKeyFileGroup(const QString &path, const QString &group);

// The file of desktop ID `id` in the applications folder `folder`: the ID's
// own name there, or with each '-' possibly standing for a subfolder
// ("vendor-web.desktop" as vendor/web.desktop). Empty when there is none, and
// for an ID with '/', "..", or a control character in it.
QString desktopEntryFile(const QString &folder, const QString &id);
