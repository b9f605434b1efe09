#pragma once

#include "core/settings/ProgramPaths.h"

#include <QString>

// The settings record: every value of ConfigUtility.ini, read once at start-up.
// Fixed-width fields keep at most their width and are padded with blanks, so
// consumers trim them before use. The data file's folder and name are whole.
struct SettingsRecord {
    QString SettingsFilePath;

    QString AppName;
    QString ProductName;
    QString TitleBarName;
    QString VersionNum;
    QString CompanyName;
    QString CopyrightYear;
    QString RelNotesURL;
    QString SubscribeUpdatesEmail;
    QString SplashScreenLogo;
    QString TitleBarIcon;
    QString AboutBoxGraphic;
    QString InfobaseFile;
    QString DatabaseFileName;
    QString DatabaseFileDir;
    QString EndUser;

    // The two folders where the telnet program is looked for.
    QString SystemDirectory;
    QString WindowsDirectory;
};

// Reads the fifteen keys of the settings file in their fixed order. A missing
// or unreadable file gives every default; the data-file folder defaults to
// paths.dataFileFolder.
SettingsRecord LoadSettings(const ProgramPaths &paths);

// On Linux the telnet program lives in /usr/bin, and on some systems in /bin:
// these stand for the system directory and the Windows directory.
void LoadSystemDirectories(SettingsRecord &record);

// Records a new device data file location, the arguments unchanged, in the
// record and in the settings file (section "database").
void SaveDataFileLocation(SettingsRecord &record, const QString &folder, const QString &fileName);

// Keeps at most `width` characters and pads a shorter value with blanks.
QString fixedWidth(const QString &value, int width);
