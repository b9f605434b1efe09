#include "core/support/TextFile.h"

#include "core/support/FileFailures.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

QByteArray readFileBytes(const QString &path)
{
    QFile file(path);
    openOrThrow(file, QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw fileFailure(file, QIODevice::ReadOnly);
    return bytes;
}

QByteArray readExistingBytes(const QString &path)
{
    return QFileInfo::exists(path) || path.isEmpty() ? readFileBytes(path) : QByteArray();
}

void replaceFileContent(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    // In a folder the user may not write, a file the user may write is
    // written in place instead.
    file.setDirectWriteFallback(true);
    openOrThrow(file, QIODevice::WriteOnly);
    // A short write (disk full, size limit) is not always reported by the
    // write or the commit, but the flush sees it; nothing is renamed then.
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit())
        throw fileFailure(file, QIODevice::WriteOnly);
}

QByteArray withLineAdded(QByteArray bytes, const QByteArray &line)
{
    if (!bytes.isEmpty() && !bytes.endsWith('\n') && !bytes.endsWith('\r'))
        bytes += "\r\n";
    return bytes + line;
}

void appendLine(const QString &path, const QByteArray &line)
{
    replaceFileContent(path, withLineAdded(readExistingBytes(path), line));
}
