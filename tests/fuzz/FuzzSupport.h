#pragma once

// What the fuzz targets share: checks that stop the run, the input cut into
// parts, and a scratch folder of the process's own.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// An invariant of the code under test. A broken one aborts, so libFuzzer
// keeps the input that broke it (NDEBUG builds drop assert()).
#define FUZZ_CHECK(condition)                                                                      \
    ((condition) ? void(0) : fuzzCheckFailed(#condition, __FILE__, __LINE__))

[[noreturn]] inline void fuzzCheckFailed(const char *what, const char *file, int line)
{
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
    std::abort();
}

// The input itself, not a copy: a read past its end is a heap overflow that
// AddressSanitizer reports.
inline QByteArray inputBytes(const std::uint8_t *data, std::size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
}

// The input as parts: each call to next() gives the bytes up to the next
// separator byte 0x1E (or all that is left); rest() gives everything after
// the parts taken, separators included.
class InputParts {
public:
    static constexpr char Separator = '\x1E';

    explicit InputParts(const QByteArray &bytes) : m_bytes(bytes) {}

    QByteArray next()
    {
        const qsizetype end = m_bytes.indexOf(Separator, m_at);
        const qsizetype stop = end < 0 ? m_bytes.size() : end;
        const QByteArray part = m_bytes.mid(m_at, stop - m_at);
        m_at = end < 0 ? m_bytes.size() : end + 1;
        return part;
    }
    QByteArray rest() const { return m_bytes.mid(m_at); }

private:
    QByteArray m_bytes;
    qsizetype m_at = 0;
};

// A folder of this process alone, removed when it ends: targets that need
// files never write in the working directory, and parallel runs never meet.
inline QString scratchFolder()
{
    static const QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/cfgfuzz-XXXXXX"));
    if (!dir.isValid())
        fuzzCheckFailed("a scratch folder can be made", __FILE__, __LINE__);
    return dir.path();
}

inline QString scratchFile(const QString &name)
{
    return scratchFolder() + QLatin1Char('/') + name;
}

inline void writeScratch(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        fuzzCheckFailed("the scratch file can be written", __FILE__, __LINE__);
}

inline QByteArray readScratch(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fuzzCheckFailed("the scratch file can be read", __FILE__, __LINE__);
    return file.readAll();
}
