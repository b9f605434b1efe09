#include "cli/DataFilePath.h"

#include "core/datafile/DataFile.h"
#include "core/settings/SettingsRecord.h"

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
                           .arg(chosen.path);
    } else if (!QFileInfo(chosen.path).dir().exists()) {
        chosen.folderMissing = true;
        chosen.error =
            QStringLiteral("The folder of %1 does not exist: name another file with --file PATH")
                .arg(chosen.path);
    }
    return chosen;
}
