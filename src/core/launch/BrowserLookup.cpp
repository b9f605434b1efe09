#include "core/launch/BrowserLookup.h"

#include <QFile>
#include <QHash>
#include <QStandardPaths>

namespace {

// One group of an XDG key file (desktop entry, mimeapps.list): UTF-8,
// "[Group]" headers, "Key=Value" lines, "#" comments; the first of duplicate
// keys wins.
QHash<QString, QString> readGroup(const QString &path, const QString &group)
{
    QHash<QString, QString> values;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return values;
    const QString header = QLatin1Char('[') + group + QLatin1Char(']');
    bool inGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == header;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inGroup || equals <= 0 || line.startsWith(QLatin1Char('#')))
            continue;
        const QString key = line.left(equals).trimmed();
        if (!values.contains(key))
            values.insert(key, line.mid(equals + 1).trimmed());
    }
    return values;
}

QStringList applicationFolders()
{
    QStringList folders;
    for (const QString &data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders << data + QStringLiteral("/applications");
    return folders;
}

// The association files, strongest first: user config, system config, user
// data, system data; in each folder the desktop's own list before the common
// one, and in the data folders the older defaults.list last.
QStringList associationFiles(const QStringList &applications)
{
    QStringList desktops;
    for (const QString &desktop :
         qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        desktops << desktop.toLower();
    QStringList files;
    const auto addLists = [&](const QString &folder) {
        for (const QString &desktop : desktops)
            files << folder + QLatin1Char('/') + desktop + QStringLiteral("-mimeapps.list");
        files << folder + QStringLiteral("/mimeapps.list");
    };
    for (const QString &config :
         QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
        addLists(config);
    for (const QString &folder : applications) {
        addLists(folder);
        files << folder + QStringLiteral("/defaults.list");
    }
    return files;
}

// The program of the first installed desktop entry that the association
// files name as the default for `mimeType`.
std::optional<ProgramCommand> defaultApplication(const QString &mimeType)
{
    const QStringList applications = applicationFolders();
    for (const QString &list : associationFiles(applications)) {
        const QString ids = readGroup(list, QStringLiteral("Default Applications")).value(mimeType);
        for (const QString &id : ids.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            for (const QString &folder : applications) {
                const QString entry = folder + QLatin1Char('/') + id.trimmed();
                if (!QFile::exists(entry))
                    continue;
                const QString exec =
                    readGroup(entry, QStringLiteral("Desktop Entry")).value(QStringLiteral("Exec"));
                if (auto command = commandOfExecLine(exec))
                    return command;
                break; // the first folder that holds the entry is the one that counts
            }
        }
    }
    return std::nullopt;
}

// The key-file string escapes: \s \n \t \r \\.
QString unescapeValue(const QString &value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar next = value[++i];
        const qsizetype escape = QStringLiteral("sntr\\").indexOf(next);
        if (escape < 0)
            out += QString(c) + next;
        else
            out += QStringLiteral(" \n\t\r\\")[escape];
    }
    return out;
}

// A word without its field codes; "%%" is a percent sign. Nothing when the
// word was only field codes.
std::optional<QString> withoutFieldCodes(const QString &word)
{
    QString out;
    bool hadCode = false;
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (word[i] != QLatin1Char('%') || i + 1 == word.size()) {
            out += word[i];
        } else if (word[++i] == QLatin1Char('%')) {
            out += QLatin1Char('%');
        } else {
            hadCode = true;
        }
    }
    if (hadCode && out.isEmpty())
        return std::nullopt;
    return out;
}

} // namespace

std::optional<ProgramCommand> commandOfExecLine(const QString &exec)
{
    const QString value = unescapeValue(exec);
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (quoted) {
            if (c == QLatin1Char('"'))
                quoted = false;
            else if (c == QLatin1Char('\\') && i + 1 < value.size() &&
                     QStringLiteral("\"`$\\").contains(value[i + 1]))
                word += value[++i];
            else
                word += c;
        } else if (c == QLatin1Char('"')) {
            quoted = inWord = true;
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (inWord)
        words << word;

    QStringList kept;
    for (const QString &w : words)
        if (const auto stripped = withoutFieldCodes(w))
            kept << *stripped;
    if (kept.isEmpty() || kept.first().isEmpty())
        return std::nullopt;
    return ProgramCommand{kept.takeFirst(), kept};
}

std::optional<ProgramCommand> findBrowser(const QStringList &searchPath)
{
    for (const char *mimeType : {"x-scheme-handler/http", "text/html"})
        if (auto command = defaultApplication(QString::fromLatin1(mimeType)))
            return command;
    const QString fallback =
        QStandardPaths::findExecutable(QStringLiteral("x-www-browser"), searchPath);
    if (fallback.isEmpty())
        return std::nullopt;
    return ProgramCommand{fallback, {}};
}
