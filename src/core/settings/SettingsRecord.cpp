#include "core/settings/SettingsRecord.h"

#include "core/settings/IniFile.h"

#include <QDir>

namespace {

constexpr int kReadBuffer = 64; // the reader returns at most 63 characters
constexpr int kFree = -1;
// The data file's folder and name are kept whole, however long: a cut path
// names another file, which the viewer then misses and the next save splits
// the records onto.
constexpr int kWhole = -2;

struct SettingKey {
    const char *section;
    const char *key;
    const char *defaultValue; // nullptr: the default data-file folder
    int width;
    QString SettingsRecord::*field;
};

// Table order is the read order.
const SettingKey kKeys[] = {
    {"Application", "AppName", "Configuration Utility", 32, &SettingsRecord::AppName},
    {"Application", "ProductName", "Device Server", kFree, &SettingsRecord::ProductName},
    {"Application", "TitleBarName", "Configuration Utility", 32, &SettingsRecord::TitleBarName},
    {"Application", "VersionNum", " ", 12, &SettingsRecord::VersionNum},
    {"Company", "CompanyName", " ", 32, &SettingsRecord::CompanyName},
    {"Company", "CopyrightYear", " ", 20, &SettingsRecord::CopyrightYear},
    {"Company", "RelNotesURL", " ", 64, &SettingsRecord::RelNotesURL},
    {"Company", "SubscribeUpdatesEmail", " ", 64, &SettingsRecord::SubscribeUpdatesEmail},
    {"Images", "SplashScreenLogo", " ", 32, &SettingsRecord::SplashScreenLogo},
    {"Images", "TitleBarIcon", " ", 24, &SettingsRecord::TitleBarIcon},
    {"Images", "AboutBoxGraphic", " ", 24, &SettingsRecord::AboutBoxGraphic},
    {"Database", "InfobaseFile", "NONE", 24, &SettingsRecord::InfobaseFile},
    {"Database", "DatabaseFileName", " ", kWhole, &SettingsRecord::DatabaseFileName},
    {"Database", "DatabaseFileDir", nullptr, kWhole, &SettingsRecord::DatabaseFileDir},
    {"Database", "EndUser", " ", kFree, &SettingsRecord::EndUser},
};

QString assignWidth(const QString &value, int width)
{
    return width == kFree || width == kWhole ? value : fixedWidth(value, width);
}

} // namespace

QString fixedWidth(const QString &value, int width)
{
    return value.left(width).leftJustified(width, QLatin1Char(' '));
}

SettingsRecord LoadSettings(const ProgramPaths &paths)
{
    SettingsRecord record;
    record.SettingsFilePath = paths.settingsFile;
    const IniFile ini(record.SettingsFilePath);

    for (const SettingKey &row : kKeys) {
        const QString fallback =
            row.defaultValue ? QString::fromLatin1(row.defaultValue) : paths.dataFileFolder;
        const ProfileValue read =
            ini.read(QString::fromLatin1(row.section), QString::fromLatin1(row.key), fallback,
                     row.width == kWhole ? IniFile::kWholeValue : kReadBuffer);
        QString value = read.value;
        // A present but empty folder key means the default folder, not "nothing".
        if (row.field == &SettingsRecord::DatabaseFileDir && read.count == 0)
            value = paths.dataFileFolder;
        record.*row.field = assignWidth(value, row.width);
    }
    return record;
}

void LoadSystemDirectories(SettingsRecord &record)
{
    record.SystemDirectory = QStringLiteral("/usr/bin");
    record.WindowsDirectory = QStringLiteral("/bin");
}

void SaveDataFileLocation(SettingsRecord &record, const QString &folder, const QString &fileName)
{
    record.DatabaseFileDir = folder;
    record.DatabaseFileName = fileName;
    // A failed write is not reported: the record keeps the new location.
    IniFile ini(record.SettingsFilePath);
    ini.write(QStringLiteral("database"), QStringLiteral("DatabaseFileDir"), folder);
    ini.write(QStringLiteral("database"), QStringLiteral("DatabaseFileName"), fileName);
}
