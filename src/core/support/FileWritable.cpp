#include "core/support/FileWritable.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
QString systemError(int number)
{
    return QString::fromLocal8Bit(std::strerror(number));
}
} // namespace

QString whyNotWritable(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists()) {
        if (!info.isFile())
            return QStringLiteral("it is not a regular file");
        // Opened, not written: the file and its times stay as they are. The
        // record is read before it is stored, so both are needed.
        const int fd = ::open(QFile::encodeName(info.absoluteFilePath()).constData(),
                              O_RDWR | O_APPEND | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0)
            return systemError(errno);
        ::close(fd);
        return {};
    }
    const QString folder = info.absolutePath();
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("its folder does not exist");
    // The effective identity and capabilities decide, as they will for the write.
    if (::faccessat(AT_FDCWD, QFile::encodeName(folder).constData(), W_OK | X_OK, AT_EACCESS) != 0)
        return QStringLiteral("no file can be created in its folder: ") + systemError(errno);
    return {};
}
