#include "core/settings/ProgramPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <pwd.h>
#include <unistd.h>

// CFG_PROGRAM_FOLDER_NAME and CFG_SHARE_FROM_BIN come from the install layout
// (src/core/CMakeLists.txt).

namespace {

const QString kSettingsName = QStringLiteral("ConfigUtility.ini");
// The program's folder under share/ and in the XDG folders.
const QString kProgramFolder = QStringLiteral(CFG_PROGRAM_FOLDER_NAME);

QString join(const QString &folder, const QString &name)
{
    return QDir(folder).filePath(name);
}

// The program's folder in an XDG base folder: the variable when it holds an
// absolute path, else the fallback under the home folder.
QString xdgProgramFolder(const QProcessEnvironment &environment, const QString &variable,
                         const QString &fallbackUnderHome)
{
    const QString value = environment.value(variable);
    const QString base =
        !value.isEmpty() && QDir::isAbsolutePath(value)
            ? value
            : environment.value(QStringLiteral("HOME")) + QLatin1Char('/') + fallbackUnderHome;
    return QDir::cleanPath(base + QLatin1Char('/') + kProgramFolder);
}

bool writableFolder(const QString &folder)
{
    return ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
}

// Copies a shipped file to the user's place unless the user has one already.
// The copy is the user's to change, whatever the shipped file's permissions.
void copyOnce(const QString &shipped, const QString &user)
{
    if (QFileInfo::exists(user) || !QFileInfo(shipped).isFile())
        return;
    if (QFile::copy(shipped, user))
        QFile::setPermissions(user, QFile::permissions(user) | QFileDevice::WriteOwner);
}

// The settings file in `config`, the shipped files in `shipped`, the user's
// own files in `user`; portable mode has one folder for all three.
ProgramPaths layout(ProgramPaths::Mode mode, const QString &config, const QString &shipped,
                    const QString &user)
{
    ProgramPaths paths;
    paths.mode = mode;
    paths.settingsFile = join(config, kSettingsName);
    paths.shippedSettings = join(shipped, kSettingsName);
    paths.graphicsFolder = join(shipped, QStringLiteral("Graphics"));
    paths.firmwareFolder = join(user, QStringLiteral("Firmware"));
    paths.errorLog = join(user, QStringLiteral("ErrorLog.txt"));
    paths.dataFileFolder = user;
    paths.shippedFolder = shipped;
    paths.userFolder = user;
    return paths;
}

} // namespace

ProgramPaths ProgramPaths::portable(const QString &folder)
{
    return layout(Mode::Portable, folder, folder, folder);
}

QString ProgramPaths::picture(const QString &name) const
{
    return graphicsFolder + QLatin1Char('/') + name.trimmed();
}

QString ProgramPaths::infobaseToRead(const QString &name) const
{
    const QString user = join(userFolder, name);
    return QFileInfo::exists(user) ? user : join(shippedFolder, name);
}

QString ProgramPaths::prepareInfobaseCopy(const QString &name) const
{
    const QString user = join(userFolder, name);
    if (userFolder != shippedFolder)
        copyOnce(join(shippedFolder, name), user);
    return user;
}

ProgramPaths decideProgramPaths(const QString &executableFolder, const QString &shareFolder,
                                const QProcessEnvironment &environment)
{
    const bool holdsSettings = QFileInfo(join(executableFolder, kSettingsName)).isFile();
    if (holdsSettings && writableFolder(executableFolder))
        return ProgramPaths::portable(executableFolder);

    // A read-only copy of the program folder still ships its own files.
    const QString shipped = holdsSettings ? executableFolder : QDir::cleanPath(shareFolder);
    return layout(
        ProgramPaths::Mode::Installed,
        xdgProgramFolder(environment, QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral(".config")),
        shipped,
        xdgProgramFolder(environment, QStringLiteral("XDG_DATA_HOME"),
                         QStringLiteral(".local/share")));
}

ProgramPaths programPathsFor(const QString &executableFolder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (environment.value(QStringLiteral("HOME")).isEmpty()) {
        // Started without HOME (by a service, say): the account's home folder.
        if (const passwd *account = ::getpwuid(::getuid()))
            environment.insert(QStringLiteral("HOME"), QFile::decodeName(account->pw_dir));
    }
    return decideProgramPaths(
        executableFolder, join(executableFolder, QStringLiteral(CFG_SHARE_FROM_BIN)), environment);
}

void prepareUserFiles(ProgramPaths &paths)
{
    if (paths.mode != ProgramPaths::Mode::Installed)
        return;
    QDir().mkpath(QFileInfo(paths.settingsFile).path());
    QDir().mkpath(paths.dataFileFolder);
    QDir().mkpath(paths.firmwareFolder);
    copyOnce(paths.shippedSettings, paths.settingsFile);
    if (!QFileInfo::exists(paths.settingsFile) && QFileInfo(paths.shippedSettings).isFile())
        paths.settingsFile = paths.shippedSettings;
}
