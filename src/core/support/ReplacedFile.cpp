#include "core/support/ReplacedFile.h"

#include "core/support/Failure.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
Failure writeFailure(int number)
{
    const QString text = QString::fromLocal8Bit(std::strerror(number));
    switch (number) {
    case ENOENT:
    case ENOTDIR:
        return Failure(FailureNumber::PathNotFound, QStringLiteral("Path not found: ") + text);
    case EACCES:
    case EPERM:
    case EROFS:
        return Failure(FailureNumber::PermissionDenied,
                       QStringLiteral("Permission denied: ") + text);
    default:
        return Failure(FailureNumber::DeviceIOError, QStringLiteral("Device I/O error: ") + text);
    }
}

// Every byte, or the error number.
int writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : ENOSPC;
        done += written;
    }
    return 0;
}
} // namespace

ReplacedFile::~ReplacedFile()
{
    close();
}

void ReplacedFile::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void ReplacedFile::replace(const QString &path, const QByteArray &bytes)
{
    const QFileInfo target(path);
    const QByteArray finalName = QFile::encodeName(target.absoluteFilePath());
    // A name of our own beside the target; O_EXCL never opens another's file.
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        // Cut so that the name stays within what a folder allows.
        temporary = QFile::encodeName(QStringLiteral("%1/.%2.%3-%4.tmp")
                                          .arg(target.absolutePath(), target.fileName().left(60))
                                          .arg(::getpid())
                                          .arg(attempt));
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                    0666);
        if (fd < 0 && errno != EEXIST)
            throw writeFailure(errno);
    }
    if (fd < 0)
        throw writeFailure(EEXIST);
    int error = writeAll(fd, bytes);
    // On disk before it takes the place of the former file.
    if (error == 0 && ::fdatasync(fd) != 0)
        error = errno;
    if (error == 0 && ::rename(temporary.constData(), finalName.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::close(fd);
        ::unlink(temporary.constData());
        throw writeFailure(error);
    }
    close();
    m_fd = fd;
}

void ReplacedFile::append(const QByteArray &bytes)
{
    if (m_fd < 0)
        throw writeFailure(EBADF);
    // The handle was opened for writing at the start, not for appending: the
    // file is ours alone, so its end is where the last write stopped.
    if (const int error = writeAll(m_fd, bytes); error != 0)
        throw writeFailure(error);
}
