#pragma once

#include <QString>

// Why the program could not store data at `path`, or an empty text when it
// can: a file that is there must be a regular file (after links) that may be
// opened for reading and writing (tried, and nothing changes); a missing one
// needs a folder in which files may be created. Asked before anything else
// happens, so that a run does not change devices it then cannot record.
QString whyNotWritable(const QString &path);
