#pragma once

#include <QByteArray>

// File contents that differ from block to block, so that a block sent twice,
// skipped or out of place shows in what the device stored.
inline QByteArray pattern(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xFF);
    return bytes;
}
