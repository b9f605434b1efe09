#pragma once

#include "core/support/Failure.h"

#include <QFileDevice>
#include <QString>

// The failure for a file that could not be opened or written with `mode`, by
// the numbers the handlers test: 76 when its folder is missing, 53 when a file
// to be read is missing, 70 when access is denied, 57 for any other I/O error.
Failure fileFailure(const QFileDevice &file, QIODevice::OpenMode mode);

// Opens the file with the mode given, or throws the matching failure; a path
// that names a folder, a FIFO or a device fails with 75 without being opened.
void openOrThrow(QFileDevice &file, QIODevice::OpenMode mode);
