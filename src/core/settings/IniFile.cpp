#include "core/settings/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>

#include <algorithm>

namespace {

// Length of a UTF-8 byte-order mark at the start (some editors write one);
// it is no part of the first line and is kept when the file is rewritten.
qsizetype bomLength(const QByteArray &data)
{
    return data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
}

// Text is UTF-8; a value that is not valid UTF-8 comes from an older program
// that wrote its single-byte code page, so it is read as Latin-1.
QString decodeText(const QByteArray &bytes)
{
    return bytes.isValidUtf8() ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

struct Line {
    QByteArray text;   // without its line end
    QByteArray ending; // "\r\n", "\n", "\r" or "" for a last line without one
};

// Lines end at CR LF, LF or a lone CR (files saved by old editors).
QList<Line> splitLines(const QByteArray &data)
{
    QList<Line> lines;
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = start;
        while (end < data.size() && data.at(end) != '\n' && data.at(end) != '\r')
            ++end;
        if (end == data.size()) {
            lines.append({data.mid(start), {}});
            break;
        }
        const bool crlf = data.at(end) == '\r' && end + 1 < data.size() && data.at(end + 1) == '\n';
        const qsizetype endingLength = crlf ? 2 : 1;
        lines.append({data.mid(start, end - start), data.mid(end, endingLength)});
        start = end + endingLength;
    }
    return lines;
}

// The line end for lines inserted after line `at` (-1: at the start of an
// empty file): the ending of that line, so that no line end next to the new
// lines changes. A lone CR followed by an LF-only line would read as one CR LF
// and lose a line. The last line of a file has no ending: it takes the file's
// most common one (CR LF for a file without any) and gives it to the new lines.
QByteArray endingAfter(QList<Line> &lines, qsizetype at)
{
    if (at >= 0 && !lines[at].ending.isEmpty())
        return lines[at].ending;
    const QByteArray endings[] = {"\r\n", "\n", "\r"};
    qsizetype counts[3] = {};
    for (const Line &line : lines) {
        for (int e = 0; e < 3; ++e)
            counts[e] += line.ending == endings[e] ? 1 : 0;
    }
    const int most = int(std::max_element(counts, counts + 3) - counts);
    if (at >= 0)
        lines[at].ending = endings[most];
    return endings[most];
}

// The value as written: one the reader would not give back as it is (blanks
// around it, or enclosed in matching quotes) goes inside double quotes, which
// the reader takes away again.
QByteArray storedValue(const QString &value)
{
    const QByteArray bytes = value.toUtf8();
    const bool quoted = bytes.size() >= 2 && (bytes.front() == '"' || bytes.front() == '\'') &&
                        bytes.back() == bytes.front();
    return quoted || bytes.trimmed() != bytes ? '"' + bytes + '"' : bytes;
}

// The section name of a "[name]" line, or a null string for other lines.
QString sectionName(const QByteArray &line)
{
    const QByteArray t = line.trimmed();
    if (t.size() < 2 || t.front() != '[')
        return {};
    const qsizetype close = t.indexOf(']');
    if (close < 0)
        return {};
    return decodeText(t.mid(1, close - 1)).trimmed();
}

bool keyMatches(const QByteArray &line, const QString &key, QByteArray *value)
{
    const QByteArray t = line.trimmed();
    if (t.isEmpty() || t.front() == ';')
        return false;
    const qsizetype eq = t.indexOf('=');
    if (eq < 0)
        return false;
    if (decodeText(t.left(eq)).trimmed().compare(key, Qt::CaseInsensitive) != 0)
        return false;
    if (value) {
        QByteArray v = t.mid(eq + 1).trimmed();
        // A value in matching quotes keeps the blanks inside them.
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
            v = v.mid(1, v.size() - 2);
        *value = v;
    }
    return true;
}

bool sameName(const QString &a, const QString &b)
{
    return !a.isNull() && a.compare(b, Qt::CaseInsensitive) == 0;
}

// Only a regular file is opened: a FIFO would block the open until a writer
// shows up, and a device could be read without end.
QByteArray readAll(const QString &path, bool *ok)
{
    QFile file(path);
    *ok = QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly);
    QByteArray data = *ok ? file.readAll() : QByteArray();
    if (*ok && file.error() != QFileDevice::NoError)
        *ok = false;
    return data;
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

const QByteArray &IniFile::contents(bool *readable) const
{
    if (!m_loaded) {
        m_contents = readAll(m_path, &m_readable);
        m_loaded = true;
    }
    *readable = m_readable;
    return m_contents;
}

ProfileValue IniFile::read(const QString &section, const QString &key, const QString &defaultValue,
                           int bufferSize) const
{
    const int limit = bufferSize == kWholeValue ? -1 : qMax(0, bufferSize - 1);
    auto result = [limit](const QString &v) {
        const QString cut = limit < 0 ? v : v.left(limit);
        return ProfileValue{cut, int(cut.size())};
    };

    bool ok = false;
    const QByteArray &data = contents(&ok);
    if (!ok)
        return result(defaultValue);

    bool inSection = false;
    for (const Line &line : splitLines(data.mid(bomLength(data)))) {
        const QString name = sectionName(line.text);
        if (!name.isNull()) {
            inSection = sameName(name, section);
            continue;
        }
        QByteArray value;
        if (inSection && keyMatches(line.text, key, &value))
            return result(decodeText(value));
    }
    return result(defaultValue);
}

bool IniFile::write(const QString &section, const QString &key, const QString &value)
{
    // A line end inside the text would write lines of its own into the file.
    for (const QString *text : {&section, &key, &value}) {
        if (text->contains(QLatin1Char('\r')) || text->contains(QLatin1Char('\n')))
            return false;
    }
    bool readable = false;
    const QByteArray data = readAll(m_path, &readable);
    // A file that is there but cannot be read (no permission, a FIFO) must not
    // be replaced by the one new key.
    if (!readable && QFileInfo::exists(m_path))
        return false;
    const qsizetype bom = bomLength(data);
    QList<Line> lines = splitLines(data.mid(bom));

    const QByteArray keyLine = key.toUtf8() + '=' + storedValue(value);
    qsizetype sectionStart = -1;  // index of the header line
    qsizetype lastInSection = -1; // last non-blank line of the section
    qsizetype keyAt = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString name = sectionName(lines[i].text);
        if (!name.isNull()) {
            if (sectionStart >= 0)
                break; // left our section
            if (sameName(name, section)) {
                sectionStart = i;
                lastInSection = i;
            }
            continue;
        }
        if (sectionStart < 0)
            continue;
        if (!lines[i].text.trimmed().isEmpty())
            lastInSection = i;
        if (keyMatches(lines[i].text, key, nullptr)) {
            keyAt = i;
            break;
        }
    }

    if (keyAt >= 0) {
        lines[keyAt].text = keyLine;
    } else if (sectionStart >= 0) {
        const QByteArray eol = endingAfter(lines, lastInSection);
        lines.insert(lastInSection + 1, Line{keyLine, eol});
    } else {
        const QByteArray eol = endingAfter(lines, lines.size() - 1);
        lines.append(Line{'[' + section.toUtf8() + ']', eol});
        lines.append(Line{keyLine, eol});
    }

    QByteArray out = data.left(bom);
    out.reserve(data.size() + keyLine.size() + 32);
    for (const Line &line : lines)
        out += line.text + line.ending;

    // Written beside and renamed into place, so a failed write keeps the old file.
    // In a folder the user may not write, a file the user may write is
    // written in place instead.
    QSaveFile file(m_path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // A short write or a failed flush must not install a truncated file.
    if (file.write(out) != out.size() || !file.flush()) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    if (!file.commit())
        return false;
    m_contents = out;
    m_readable = m_loaded = true;
    return true;
}
