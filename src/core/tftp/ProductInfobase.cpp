#include "core/tftp/ProductInfobase.h"

#include "core/support/Failure.h"
#include "core/support/TextFile.h"

namespace ProductInfobase {

QString defaultFileName()
{
    return QStringLiteral("ProductInfobase.txt");
}

QByteArray defaultLine()
{
    return QByteArrayLiteral("\"3Q\",\"Standard\"\r\n");
}

QString defaultDisplayName()
{
    return QStringLiteral("Standard");
}

bool standsForDefault(const QString &setting)
{
    return setting.trimmed().compare(QLatin1String("NONE"), Qt::CaseInsensitive) == 0;
}

QString shownMissingName(const QString &setting)
{
    const QString name = setting.trimmed();
    const qsizetype at = name.indexOf(QLatin1String(".txt"));
    return at >= 0 ? name.left(at + 4) : name.left(3);
}

namespace {

// Reads one field starting at `pos`; leaves `pos` just past its comma (or at
// the end) and tells whether a comma followed. A quoted field runs to its
// closing quote and may hold commas.
QString takeField(const QString &line, qsizetype &pos, bool &comma)
{
    while (pos < line.size() && line.at(pos) == QLatin1Char(' '))
        ++pos;
    QString value;
    const bool quoted = pos < line.size() && line.at(pos) == QLatin1Char('"');
    if (quoted) {
        const qsizetype close = line.indexOf(QLatin1Char('"'), pos + 1);
        const qsizetype end = close < 0 ? line.size() : close;
        value = line.mid(pos + 1, end - pos - 1);
        pos = qMin(end + 1, line.size());
    }
    const qsizetype next = line.indexOf(QLatin1Char(','), pos);
    comma = next >= 0;
    if (!quoted)
        value = line.mid(pos, (comma ? next : line.size()) - pos).trimmed();
    pos = comma ? next + 1 : line.size();
    return value;
}

// Lines end with CR LF, LF or a lone CR (as the data file reader takes them),
// so a file written with bare CRs is not read as one long line.
QList<QString> readLines(const QString &path)
{
    const QByteArray bytes = readFileBytes(path);
    QList<QString> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        lines.append(QString::fromLatin1(bytes.constData() + start, end - start));
        if (end < bytes.size() && bytes[end] == '\r')
            ++end;
        if (end < bytes.size() && bytes[end] == '\n')
            ++end;
        start = end;
    }
    return lines;
}

} // namespace

std::optional<InfobaseEntry> parseLine(const QString &line)
{
    qsizetype pos = 0;
    bool comma = false;
    const QString device = takeField(line, pos, comma);
    if (!comma)
        return std::nullopt;
    const QString display = takeField(line, pos, comma);
    return InfobaseEntry{device, display};
}

QList<InfobaseEntry> read(const QString &path)
{
    QList<InfobaseEntry> entries;
    for (const QString &line : readLines(path)) {
        if (auto entry = parseLine(line))
            entries.append(*entry);
    }
    if (entries.isEmpty())
        throw Failure(FailureNumber::InputPastEndOfFile, QStringLiteral("Input past end of file"));
    return entries;
}

void appendDefault(const QString &path)
{
    appendLine(path, defaultLine());
}

std::optional<QString> lookUp(const QString &path, const QString &displayName)
{
    for (const QString &line : readLines(path)) {
        const auto entry = parseLine(line);
        if (entry && entry->displayName == displayName)
            return entry->deviceFileName;
    }
    return std::nullopt;
}

} // namespace ProductInfobase
