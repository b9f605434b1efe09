#include "core/launch/DesktopFiles.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The bytes of a regular file of bounded size; nothing for anything else. The
// type is taken from the opened file, so nothing can be swapped in between,
// and the open does not wait for a FIFO's writer.
QByteArray readRegularFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_size > kMaxDesktopFileBytes) {
        ::close(fd);
        return {};
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {};
    }
    // A file that grew since is cut to nothing rather than read without end.
    const QByteArray bytes = file.read(kMaxDesktopFileBytes + 1);
    return bytes.size() > kMaxDesktopFileBytes ? QByteArray() : bytes;
}

QString entryUnder(const QString &folder, const QString &rest)
{
    const QString own = folder + QLatin1Char('/') + rest;
    if (QFileInfo(own).isFile())
        return own;
    for (qsizetype dash = rest.indexOf(QLatin1Char('-'), 1); dash >= 0;
         dash = rest.indexOf(QLatin1Char('-'), dash + 1)) {
        const QString subfolder = folder + QLatin1Char('/') + rest.left(dash);
        if (rest.left(dash) == QLatin1String(".") || !QFileInfo(subfolder).isDir())
            continue;
        if (const QString found = entryUnder(subfolder, rest.mid(dash + 1)); !found.isEmpty())
            return found;
    }
    return {};
}

} // namespace

QHash<QString, QString> readKeyFileGroup(const QString &path, const QString &group)
{
    QHash<QString, QString> values;
    const QString header = QLatin1Char('[') + group + QLatin1Char(']');
    bool inGroup = false;
    for (const QByteArray &raw : readRegularFile(path).split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == header;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inGroup || equals <= 0 || line.startsWith(QLatin1Char('#')))
            continue;
        const QString key = line.left(equals).trimmed();
        if (!values.contains(key))
            values.insert(key, line.mid(equals + 1).trimmed());
    }
    return values;
}

QString desktopEntryFile(const QString &folder, const QString &id)
{
    // An ID names a file below the folder, never one elsewhere.
    const bool control = std::any_of(id.cbegin(), id.cend(), [](QChar c) { return c < u' '; });
    if (id.isEmpty() || control || id.contains(QLatin1Char('/')) ||
        id.contains(QLatin1String("..")))
        return {};
    return entryUnder(folder, id);
}
