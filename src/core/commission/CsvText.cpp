#include "core/commission/CsvText.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

// The bytes as UTF-8 text in `text`, or why they are none, in words that
// say what to do.
QString decodeUtf8(const QByteArray &bytes, QString *text)
{
    const auto says = [](const QString &what) {
        return QStringLiteral("is %1: save it as UTF-8 text").arg(what);
    };
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return says(QStringLiteral("UTF-16 text"));
    if (bytes.contains('\0'))
        return says(QStringLiteral("not text (it holds NUL bytes, as UTF-16 text does)"));
    QStringDecoder utf8(QStringDecoder::Utf8);
    *text = utf8.decode(bytes);
    return utf8.hasError() ? says(QStringLiteral("not UTF-8 text")) : QString();
}

} // namespace

QString readCsvFile(const QString &path, QString *error)
{
    // Far beyond any plan or report; keeps a wrong file from filling memory.
    constexpr qint64 kLargest = 16 * 1024 * 1024;
    const QFileInfo info(path);
    QFile file(path);
    if (!info.isFile())
        *error = info.exists() ? QStringLiteral("%1 is not a file").arg(path)
                               : QStringLiteral("%1 does not exist").arg(path);
    else if (info.size() > kLargest)
        *error = QStringLiteral("%1 is larger than %2 MiB").arg(path).arg(kLargest >> 20);
    else if (!file.open(QIODevice::ReadOnly))
        *error = QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString());
    else {
        // Sized by the file, not the limit: a buffer of the limit for every
        // small plan cost more than reading it. A file that grows meanwhile
        // is read on, up to the limit.
        QByteArray bytes = file.read(info.size() + 1);
        while (!file.atEnd() && bytes.size() <= kLargest)
            bytes += file.read(64 * 1024);
        if (bytes.size() > kLargest) {
            *error = QStringLiteral("%1 is larger than %2 MiB").arg(path).arg(kLargest >> 20);
            return {};
        }
        QString text;
        *error = decodeUtf8(bytes, &text);
        if (error->isEmpty())
            return text;
        error->prepend(path + QLatin1Char(' '));
    }
    return {};
}

CsvText parseCsv(const QString &text)
{
    CsvText parsed;
    CsvRecord record;
    QString field;
    bool quoted = false;    // inside a quoted field
    bool wasQuoted = false; // the current field was quoted
    int line = 1;
    int quoteLine = 0;
    record.line = 1;
    const auto endField = [&] {
        record.fields.append(wasQuoted ? field : field.trimmed());
        field.clear();
        wasQuoted = false;
    };
    const auto endRecord = [&] {
        endField();
        const bool blank = record.fields.size() == 1 && record.fields.first().isEmpty();
        if (!blank)
            parsed.records.append(record);
        record = CsvRecord{};
        record.line = line;
    };
    // Spreadsheets put a byte order mark before the header.
    const qsizetype start = text.startsWith(QChar(0xFEFF)) ? 1 : 0;
    for (qsizetype i = start; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
                continue;
            }
            if (c == QLatin1Char('\n'))
                ++line;
            field += c;
            continue;
        }
        if (c == QLatin1Char('"') && field.trimmed().isEmpty()) {
            field.clear();
            quoted = true;
            wasQuoted = true;
            quoteLine = line;
        } else if (c == QLatin1Char(',')) {
            endField();
        } else if (c == QLatin1Char('\n')) {
            ++line;
            endRecord();
        } else if (c != QLatin1Char('\r')) {
            field += c;
        } else if (i + 1 == text.size() || text[i + 1] != QLatin1Char('\n')) {
            // Read as nothing, it would join the lines into one record.
            parsed.error = QStringLiteral("line %1 ends in a carriage return alone: save the file "
                                          "with LF or CR LF line ends")
                               .arg(line);
            parsed.errorLine = line;
            return parsed;
        }
    }
    if (quoted) {
        parsed.error = QStringLiteral("a quoted field is not closed");
        parsed.errorLine = quoteLine;
        return parsed;
    }
    endRecord();
    return parsed;
}

QString csvLine(const QStringList &fields)
{
    QStringList written;
    for (QString field : fields) {
        // A NUL makes the file unreadable as text (a device's reply may hold
        // one): it is written as the replacement character.
        field.replace(QChar(u'\0'), QChar(0xFFFD));
        const bool quote = field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('"')) ||
                           field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r')) ||
                           field != field.trimmed();
        written.append(
            quote ? QLatin1Char('"') +
                        QString(field).replace(QStringLiteral("\""), QStringLiteral("\"\"")) +
                        QLatin1Char('"')
                  : field);
    }
    return written.join(QLatin1Char(',')) + QLatin1Char('\n');
}
