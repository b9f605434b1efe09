#pragma once

#include <QString>

// The SHA-256 of a file's bytes, as 64 lower-case hex digits. Failures are
// thrown as Failure.
QString sha256OfFile(const QString &path);
