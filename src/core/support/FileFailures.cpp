#include "core/support/FileFailures.h"

#include <QDir>
#include <QFileInfo>

Failure fileFailure(const QFileDevice &file, QIODevice::OpenMode mode)
{
    const QFileInfo info(file.fileName());
    if (file.fileName().isEmpty())
        return Failure(FailureNumber::BadFileNameOrNumber,
                       QStringLiteral("Bad file name or number"));
    if (!info.dir().exists())
        return Failure(FailureNumber::PathNotFound, QStringLiteral("Path not found"));
    if (!info.exists() && !(mode & QIODevice::WriteOnly))
        return Failure(FailureNumber::FileNotFound, QStringLiteral("File not found"));
    if (file.error() == QFileDevice::PermissionsError || file.error() == QFileDevice::OpenError)
        return Failure(FailureNumber::PermissionDenied,
                       QStringLiteral("Permission denied: ") + file.errorString());
    return Failure(FailureNumber::DeviceIOError,
                   QStringLiteral("Device I/O error: ") + file.errorString());
}

void openOrThrow(QFileDevice &file, QIODevice::OpenMode mode)
{
    // Opening a FIFO blocks until its other end shows up, and a device or a
    // folder is no data file: only regular files (or links to one) are opened.
    const QFileInfo info(file.fileName());
    if (info.exists() && !info.isFile())
        throw Failure(FailureNumber::PathFileAccessError,
                      QStringLiteral("Path/File access error: ") + file.fileName() +
                          QStringLiteral(" is not a regular file"));
    if (!file.open(mode))
        throw fileFailure(file, mode);
}
