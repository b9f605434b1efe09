#include "cli/DataFilePath.h"

#include "core/datafile/DataFile.h"
#include "core/session/AppContext.h"
#include "core/settings/SettingsRecord.h"
#include "core/support/FileWritable.h"

#include <QDir>
#include <QFileInfo>

DataFilePath chooseDataFile(const SettingsRecord &settings, const QString &given)
{
    DataFilePath chosen;
    QString path = given;
    if (path.isEmpty() && !settings.DatabaseFileName.trimmed().isEmpty())
        path =
            joinLocation(settings.DatabaseFileDir.trimmed(), settings.DatabaseFileName.trimmed());
    if (path.isEmpty()) {
        chosen.error =
            QStringLiteral("No device data file in the settings: name one with --file PATH");
        return chosen;
    }
    chosen.path = QFileInfo(path).absoluteFilePath();
    if (QFileInfo(chosen.path).isDir()) {
        chosen.error = QStringLiteral("%1 is a folder: name the device data file with --file PATH")
                           .arg(shownPath(chosen.path));
    } else if (!QFileInfo(chosen.path).dir().exists()) {
        chosen.folderMissing = true;
        chosen.error =
            QStringLiteral("The folder of %1 does not exist: name another file with --file PATH")
                .arg(shownPath(chosen.path));
    }
    return chosen;
}

QString dataFileNotWritable(const QString &path)
{
    const QString why = whyNotWritable(path);
    return why.isEmpty() ? QString()
                         : QStringLiteral("The device data file %1 cannot be written: %2")
                               .arg(shownPath(path), why);
}

QList<FileUse> programFileUses(const AppContext &context)
{
    QList<FileUse> uses;
    const auto add = [&uses](const char *role, const QString &path) {
        if (!path.isEmpty())
            uses.append({QLatin1String(role), path, FileAccess::Read});
    };
    add("the settings file", context.paths.settingsFile);
    add("the product infobase",
        context.paths.infobaseToRead(context.settings.InfobaseFile.trimmed()));
    add("the error log", context.paths.errorLog);
    return uses;
}
