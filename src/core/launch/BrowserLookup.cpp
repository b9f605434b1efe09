#include "core/launch/BrowserLookup.h"

#include "core/launch/DesktopFiles.h"

#include <QHash>
#include <QStandardPaths>

namespace {

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

// The program of desktop ID `id`. The first folder that holds the ID is the
// one that counts: an entry there marked Hidden removes the application, as
// if it were not installed at all.
std::optional<ProgramCommand> applicationOf(const QString &id, const QStringList &applications)
{
    for (const QString &folder : applications) {
        const QString file = desktopEntryFile(folder, id);
        if (file.isEmpty())
            continue;
        const QHash<QString, QString> entry =
            readKeyFileGroup(file, QStringLiteral("Desktop Entry"));
        if (entry.value(QStringLiteral("Hidden")) == QLatin1String("true"))
            return std::nullopt;
        return commandOfExecLine(entry.value(QStringLiteral("Exec")));
    }
    return std::nullopt;
}

// The program of the first installed desktop entry that the association
// files name as the default for `mimeType`.
std::optional<ProgramCommand> defaultApplication(const QString &mimeType)
{
    const QStringList applications = applicationFolders();
    for (const QString &list : associationFiles(applications)) {
        const QString ids =
            readKeyFileGroup(list, QStringLiteral("Default Applications")).value(mimeType);
        for (const QString &id : ids.split(QLatin1Char(';'), Qt::SkipEmptyParts))
            if (auto command = applicationOf(id.trimmed(), applications))
                return command;
    }
    return std::nullopt;
}

} // namespace

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
