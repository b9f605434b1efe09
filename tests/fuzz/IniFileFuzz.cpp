// The settings file reader and writer on any file. The input is a section
// and key choice (first two bytes) and the value (up to the first 0x1E),
// followed by the file. A write changes only its own line: the file's other
// lines stay byte for byte, the new value reads back as given, and every
// other key reads as before. A value with a line end is refused.

#include "FuzzSupport.h"
#include "core/settings/IniFile.h"

#include <QList>

namespace {

const char *const kSections[] = {"database", "Database", "APPLICATION", "Images", "new"};
const char *const kKeys[] = {"DatabaseFileDir", "databasefilename", "AppName", "K", "Key"};
constexpr int kSectionCount = int(std::size(kSections));
constexpr int kKeyCount = int(std::size(kKeys));

struct Line {
    QByteArray text;
    QByteArray ending;
};

// Lines as they end at CR LF, LF or a lone CR: what any reader sees.
QList<Line> linesOf(const QByteArray &bytes)
{
    QList<Line> lines;
    qsizetype at = 0;
    while (at < bytes.size()) {
        qsizetype end = at;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        qsizetype next = end;
        if (next < bytes.size() && bytes[next] == '\r')
            ++next;
        if (next < bytes.size() && bytes[next] == '\n')
            ++next;
        lines.append({bytes.mid(at, end - at), bytes.mid(end, next - end)});
        at = next;
    }
    return lines;
}

bool sameLine(const Line &now, const Line &was, bool wasLast)
{
    // The file's last line may have been given the line end it lacked.
    return now.text == was.text && (now.ending == was.ending || (wasLast && was.ending.isEmpty()));
}

QByteArray withoutMark(const QByteArray &bytes)
{
    return bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    InputParts parts(inputBytes(data, size));
    QByteArray head = parts.next();
    const QString section =
        QString::fromLatin1(kSections[head.isEmpty() ? 0 : quint8(head[0]) % kSectionCount]);
    const QString key =
        QString::fromLatin1(kKeys[head.size() < 2 ? 0 : quint8(head[1]) % kKeyCount]);
    const QString value = QString::fromUtf8(head.mid(2));
    const QByteArray before = parts.rest();

    const QString path = scratchFile(QStringLiteral("settings.ini"));
    writeScratch(path, before);
    IniFile ini(path);
    QList<QString> readBefore;
    for (const char *s : kSections)
        for (const char *k : kKeys)
            readBefore.append(ini.read(s, k, QStringLiteral("\x01"), IniFile::kWholeValue).value);

    const bool written = ini.write(section, key, value);
    const QByteArray after = readScratch(path);
    if (value.contains('\r') || value.contains('\n')) {
        FUZZ_CHECK(!written && after == before);
        return 0;
    }
    FUZZ_CHECK(written);
    FUZZ_CHECK(ini.read(section, key, {}, IniFile::kWholeValue).value == value);

    // Every other key reads as it did.
    int at = 0;
    for (const char *s : kSections) {
        for (const char *k : kKeys) {
            const bool ours = section.compare(s, Qt::CaseInsensitive) == 0 &&
                              key.compare(k, Qt::CaseInsensitive) == 0;
            if (!ours)
                FUZZ_CHECK(ini.read(s, k, QStringLiteral("\x01"), IniFile::kWholeValue).value ==
                           readBefore[at]);
            ++at;
        }
    }

    // The lines after are the lines before with the key's line replaced or
    // added, or with the section and the key added at the end.
    FUZZ_CHECK(after.startsWith("\xEF\xBB\xBF") == before.startsWith("\xEF\xBB\xBF"));
    const QList<Line> was = linesOf(withoutMark(before));
    const QList<Line> now = linesOf(withoutMark(after));
    const QByteArray keyStart = key.toUtf8() + '=';
    const qsizetype added = now.size() - was.size();
    FUZZ_CHECK(added >= 0 && added <= 2);
    qsizetype first = 0;
    while (first < was.size() && sameLine(now[first], was[first], first == was.size() - 1))
        ++first;
    if (added == 0) {
        if (first < was.size()) {
            FUZZ_CHECK(now[first].text.startsWith(keyStart) &&
                       now[first].ending == was[first].ending);
            for (qsizetype i = first + 1; i < was.size(); ++i)
                FUZZ_CHECK(sameLine(now[i], was[i], i == was.size() - 1));
        }
    } else {
        for (qsizetype i = first; i < was.size(); ++i)
            FUZZ_CHECK(sameLine(now[i + added], was[i], i == was.size() - 1));
        FUZZ_CHECK(now[first + added - 1].text.startsWith(keyStart));
        if (added == 2)
            FUZZ_CHECK(first == was.size() && now[first].text == '[' + section.toUtf8() + ']');
    }
    return 0;
}
