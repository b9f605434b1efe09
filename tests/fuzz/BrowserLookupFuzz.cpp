// The browser look-up on any Exec line, address, desktop ID and desktop
// entry. The input is the Exec line, the address and the ID (each up to a
// 0x1E), then the entry file.
//
// The address is placed whole and untouched where %u, %U, %f or %F stood, or
// once at the end when none did; the line written back with quotes and
// escapes splits into the same words. An ID maps only to a regular file below
// the applications folder whose path is the ID with some '-' as '/', and to
// one whenever such a file exists; never for an ID with '/' or "..". The
// entry's group reads back as written; the first of a repeated key counts; a
// file over the size bound reads as nothing, and a FIFO too, without waiting.

#include "FuzzSupport.h"
#include "core/launch/DesktopFiles.h"
#include "core/launch/ExecLine.h"

#include <QDirIterator>
#include <QHash>
#include <QSet>
#include <QStringList>

#include <algorithm>

#include <sys/stat.h>

namespace {

const QString kGroup = QStringLiteral("Desktop Entry");

QString applications()
{
    return scratchFile(QStringLiteral("applications"));
}

// Entries as a desktop has them (a '-' in an ID may be a subfolder), one ID
// for two files, a folder and FIFOs where entries would be, and entries
// beside the folder that no ID may reach.
void makeFolders()
{
    static bool made = false;
    if (made)
        return;
    made = true;
    const QString root = scratchFolder();
    for (const char *folder : {"applications/vendor/suite", "applications/vendor-suite",
                               "applications/-lead", "applications/dir.desktop", "out"})
        FUZZ_CHECK(QDir(root).mkpath(QString::fromLatin1(folder)));
    for (const char *file :
         {"applications/web.desktop", "applications/vendor/web.desktop",
          "applications/vendor/suite-web.desktop", "applications/vendor/suite/web.desktop",
          "applications/vendor-suite/web.desktop", "applications/-lead/x.desktop", "out.desktop",
          "out/web.desktop"})
        writeScratch(root + '/' + QLatin1String(file), "[Desktop Entry]\nExec=web %u\n");
    for (const char *fifo : {"applications/fifo.desktop", "applications/vendor/fifo.desktop"})
        FUZZ_CHECK(
            ::mkfifo(QFile::encodeName(root + '/' + QLatin1String(fifo)).constData(), 0600) == 0);
}

// The IDs of the regular files below the folder: their paths with '-' for '/'.
const QSet<QString> &installedIds()
{
    static const QSet<QString> ids = [] {
        QSet<QString> found;
        const QString folder = applications();
        QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            found.insert(it.next().mid(folder.size() + 1).replace('/', '-'));
        return found;
    }();
    return ids;
}

// A character that neither `a` nor `b` holds.
QString absentFrom(const QStringList &a, const QString &b)
{
    for (char16_t c = 0xE000; c < 0xF900; ++c) {
        const QString candidate(QChar{c});
        if (!b.contains(candidate) && std::none_of(a.cbegin(), a.cend(), [&](const QString &word) {
                return word.contains(candidate);
            }))
            return candidate;
    }
    fuzzCheckFailed("a marker is free", __FILE__, __LINE__);
}

// The arguments that open `address`, worked out word by word: %u %U %f %F
// stand for the address, "%%" for '%', other codes for nothing (a word of
// nothing but those is left out, a '%' at the end stays); the address comes
// last when no word took it.
QStringList argumentsOpening(const QStringList &words, const QString &address)
{
    QStringList arguments;
    bool placed = false;
    for (const QString &word : words) {
        QString argument;
        bool code = false;
        for (qsizetype i = 0; i < word.size(); ++i) {
            if (word[i] != '%' || i + 1 == word.size()) {
                argument += word[i];
            } else if (const QChar next = word[++i]; next == '%') {
                argument += '%';
            } else {
                code = true;
                if (QStringLiteral("uUfF").contains(next)) {
                    argument += address;
                    placed = true;
                }
            }
        }
        if (!code || !argument.isEmpty())
            arguments << argument;
    }
    if (!placed)
        arguments << address;
    return arguments;
}

// A word as an Exec line writes it: in double quotes, with '"', '`', '$' and
// '\' escaped, and then the key-file escapes over the whole.
QString quotedWord(const QString &word)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : word) {
        if (QStringLiteral("\"`$\\").contains(c))
            quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    QString escaped;
    for (const QChar c : std::as_const(quoted)) {
        const qsizetype special = QStringLiteral("\\\n\t\r").indexOf(c);
        escaped +=
            special < 0 ? QString(c) : QStringLiteral("\\") + QStringLiteral("\\ntr")[special];
    }
    return escaped;
}

void checkExecLine(const QString &exec, const QString &target)
{
    const std::optional<ProgramCommand> command = commandOfExecLine(exec);
    if (!command)
        return;
    FUZZ_CHECK(!command->program.isEmpty());
    const QStringList words = command->execArguments;

    const QString marker = absentFrom(words, target);
    const QStringList marked = command->argumentsFor(marker);
    QStringList expected = marked;
    for (QString &argument : expected)
        argument.replace(marker, target);
    FUZZ_CHECK(command->argumentsFor(target) == expected);
    FUZZ_CHECK(marked == argumentsOpening(words, marker));

    QString written = quotedWord(QString(command->program).replace('%', QStringLiteral("%%")));
    for (const QString &word : words)
        written += ' ' + quotedWord(word);
    const std::optional<ProgramCommand> again = commandOfExecLine(written);
    FUZZ_CHECK(again && again->program == command->program && again->execArguments == words);
}

void checkDesktopId(const QString &id)
{
    const QString folder = applications();
    const QString file = desktopEntryFile(folder, id);
    if (id.contains('/') || id.contains(QStringLiteral("..")))
        FUZZ_CHECK(file.isEmpty());
    if (!file.isEmpty()) {
        FUZZ_CHECK(file.startsWith(folder + '/') && QDir::cleanPath(file) == file);
        const QString inside = file.mid(folder.size() + 1);
        FUZZ_CHECK(!inside.split('/').contains(QStringLiteral("..")));
        FUZZ_CHECK(QString(inside).replace('/', '-') == id);
        FUZZ_CHECK(QFileInfo(file).isFile() && installedIds().contains(id));
        FUZZ_CHECK(readKeyFileGroup(file, kGroup).value(QStringLiteral("Exec")) ==
                   QStringLiteral("web %u"));
    } else {
        FUZZ_CHECK(!installedIds().contains(id));
    }
    // Whatever the ID names in the folder (a FIFO, a folder, nothing), reading
    // it returns at once.
    if (!id.contains('/'))
        readKeyFileGroup(folder + '/' + id, kGroup);
}

void checkKeyFile(const QByteArray &bytes)
{
    const QString path = scratchFile(QStringLiteral("entry.desktop"));
    writeScratch(path, bytes);
    const QHash<QString, QString> group = readKeyFileGroup(path, kGroup);
    QByteArray written = "[" + kGroup.toUtf8() + "]\n";
    for (auto it = group.cbegin(); it != group.cend(); ++it) {
        const QString &key = it.key();
        FUZZ_CHECK(!key.isEmpty() && key == key.trimmed() && !key.contains('=') &&
                   !key.contains('\n') && !key.startsWith('[') && !key.startsWith('#'));
        FUZZ_CHECK(it.value() == it.value().trimmed() && !it.value().contains('\n'));
        written += key.toUtf8() + '=' + it.value().toUtf8() + '\n';
    }

    // A later group of the same name adds keys and changes none.
    const QString key = group.isEmpty() ? QStringLiteral("Exec") : group.cbegin().key();
    writeScratch(path,
                 bytes + "\n[" + kGroup.toUtf8() + "]\n" + key.toUtf8() + "=later\nAdded=1\n");
    QHash<QString, QString> later = group;
    later.insert(QStringLiteral("Added"), QStringLiteral("1"));
    if (!group.contains(key))
        later.insert(key, QStringLiteral("later"));
    if (!group.contains(QStringLiteral("Added")))
        FUZZ_CHECK(readKeyFileGroup(path, kGroup) == later);

    writeScratch(path, written);
    FUZZ_CHECK(readKeyFileGroup(path, kGroup) == group);

    if (!group.isEmpty()) {
        QFile file(path);
        FUZZ_CHECK(file.resize(kMaxDesktopFileBytes + 1));
        FUZZ_CHECK(readKeyFileGroup(path, kGroup).isEmpty());
    }
    FUZZ_CHECK(
        readKeyFileGroup(applications() + QStringLiteral("/fifo.desktop"), kGroup).isEmpty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    makeFolders();
    InputParts parts(inputBytes(data, size));
    const QString exec = QString::fromUtf8(parts.next());
    // The look-up is only ever asked to open an address.
    QString target = QString::fromUtf8(parts.next());
    if (target.isEmpty())
        target = QStringLiteral("http://127.0.0.5/");
    const QString id = QString::fromUtf8(parts.next());
    checkExecLine(exec, target);
    checkDesktopId(id);
    checkKeyFile(parts.rest());
    return 0;
}
