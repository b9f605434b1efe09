#pragma once

#include <QByteArray>
#include <QRandomGenerator>

// `size` bytes of noise, the same for the same seed.
inline QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &b : bytes)
        b = char(random.bounded(256));
    return bytes;
}
