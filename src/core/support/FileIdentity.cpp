#include "core/support/FileIdentity.h"

#include "core/support/ShownText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <sys/stat.h>

namespace {
// As many links as the kernel follows before it gives up.
constexpr int kMostLinks = 40;
constexpr qsizetype kLongestPath = 4096;
} // namespace

FileIdentity FileIdentity::of(const QString &path)
{
    FileIdentity identity;
    QString at = QFileInfo(path).absoluteFilePath();
    for (int links = 0; links < kMostLinks; ++links) {
        struct stat status = {};
        if (::stat(QFile::encodeName(at).constData(), &status) == 0) {
            identity.m_device = quint64(status.st_dev);
            identity.m_inode = quint64(status.st_ino);
            return identity;
        }
        // A link to nothing: a write through it would create its target.
        const QFileInfo link(at);
        if (!link.isSymLink())
            break;
        at = link.symLinkTarget();
    }
    const QFileInfo missing(at);
    const QString folder = QFileInfo(missing.absolutePath()).canonicalFilePath();
    identity.m_missing = (folder.isEmpty() ? QDir::cleanPath(missing.absolutePath()) : folder) +
                         u'/' + missing.fileName();
    return identity;
}

size_t qHash(const FileIdentity &identity, size_t seed)
{
    return qHashMulti(seed, identity.m_device, identity.m_inode, identity.m_missing);
}

bool sameFile(const QString &a, const QString &b)
{
    return FileIdentity::of(a) == FileIdentity::of(b);
}

std::optional<FileClash> findFileClash(const QList<FileUse> &uses)
{
    QHash<QString, FileIdentity> byPath;
    QHash<FileIdentity, qsizetype> firstUse;
    for (qsizetype i = 0; i < uses.size(); ++i) {
        const FileUse &use = uses[i];
        auto known = byPath.constFind(use.path);
        if (known == byPath.cend())
            known = byPath.insert(use.path, FileIdentity::of(use.path));
        const auto first = firstUse.constFind(*known);
        if (first == firstUse.cend()) {
            firstUse.insert(*known, i);
            continue;
        }
        const FileUse &earlier = uses[*first];
        if (earlier.access != FileAccess::Read || use.access != FileAccess::Read)
            return FileClash{earlier, use};
    }
    return std::nullopt;
}

QString sameFileMessage(const FileClash &clash)
{
    QString message = QStringLiteral("%1 %2 is the same file as %3 %4")
                          .arg(clash.second.role, shownPath(clash.second.path), clash.first.role,
                               shownPath(clash.first.path));
    if (!message.isEmpty())
        message[0] = message[0].toUpper();
    return message;
}

QString shownPath(const QString &path)
{
    return shownText(path, kLongestPath);
}
