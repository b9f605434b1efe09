#include "core/support/FileDigest.h"

#include "core/support/FileFailures.h"

#include <QCryptographicHash>
#include <QFile>

QString sha256OfFile(const QString &path)
{
    QFile file(path);
    openOrThrow(file, QIODevice::ReadOnly);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file) || file.error() != QFileDevice::NoError)
        throw fileFailure(file, QIODevice::ReadOnly);
    return QString::fromLatin1(hash.result().toHex());
}
