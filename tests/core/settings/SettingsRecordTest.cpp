#include "core/settings/SettingsRecord.h"
#include "SettingsTest.h"
#include "TestContext.h"
#include "core/settings/IniFile.h"

#include <QTest>

void SettingsTest::settingsDefaultsWithoutFile()
{
    TestContext t; // no ConfigUtility.ini
    const SettingsRecord &s = t.context.settings;
    QCOMPARE(s.SettingsFilePath, t.folder() + "/ConfigUtility.ini");
    QCOMPARE(s.AppName, QStringLiteral("Configuration Utility").leftJustified(32));
    QCOMPARE(s.ProductName, "Device Server");
    QCOMPARE(s.TitleBarName, QStringLiteral("Configuration Utility").leftJustified(32));
    QCOMPARE(s.VersionNum, QString(12, QLatin1Char(' ')));
    QCOMPARE(s.CopyrightYear, QString(20, QLatin1Char(' ')));
    QCOMPARE(s.RelNotesURL, QString(64, QLatin1Char(' ')));
    QCOMPARE(s.TitleBarIcon, QString(24, QLatin1Char(' ')));
    QCOMPARE(s.InfobaseFile.trimmed(), "NONE");
    QCOMPARE(s.DatabaseFileDir.trimmed(), t.folder());
    QCOMPARE(s.DatabaseFileName.trimmed(), QString());
    QCOMPARE(s.EndUser, " ");
    QCOMPARE(s.SystemDirectory, "/usr/bin");
    QCOMPARE(s.WindowsDirectory, "/bin");
}

void SettingsTest::settingsFieldWidths()
{
    // Every value is longer than its field or the 63-character read limit.
    const QByteArray v19 = "1234567890123456789";
    const QByteArray v40 = "Forty Character Title Bar Name Is Longer";
    const QByteArray v70 = QByteArray(70, 'u');
    TestContext t("[Application]\r\nVersionNum=" + v19 + "\r\nTitleBarName=" + v40 +
                  "\r\nProductName=" + v70 + "\r\n[Company]\r\nCopyrightYear=" + v40 +
                  "\r\n[Database]\r\nDatabaseFileDir=" + v70 + "\r\nDatabaseFileName=" + v40 +
                  "\r\nEndUser=KVR\r\n");
    const SettingsRecord &s = t.context.settings;
    QCOMPARE(s.VersionNum, "123456789012");
    QCOMPARE(s.TitleBarName, QString::fromLatin1(v40.left(32)));
    QCOMPARE(s.ProductName, QString::fromLatin1(v70.left(63)));
    QCOMPARE(s.CopyrightYear, QString::fromLatin1(v40.left(20)));
    // The data file's folder and name are kept whole, or they name another file.
    QCOMPARE(s.DatabaseFileDir, QString::fromLatin1(v70));
    QCOMPARE(s.DatabaseFileName, QString::fromLatin1(v40));
    QCOMPARE(s.EndUser, "KVR");
}

void SettingsTest::settingsEmptyDatabaseKeys()
{
    TestContext t("[DATABASE]\r\nDatabaseFileDir=\r\nDatabaseFileName=\r\nInfobaseFile=none\r\n");
    const SettingsRecord &s = t.context.settings;
    QCOMPARE(s.DatabaseFileDir, t.folder());
    QCOMPARE(s.DatabaseFileName, QString());
    QCOMPARE(s.InfobaseFile.trimmed(), "none");
}

void SettingsTest::saveDataFileLocationWritesArgumentsUnchanged()
{
    const QByteArray before = "[Application]\r\nTitleBarName=Tool\r\n[Database]\r\nEndUser=x\r\n";
    TestContext t(before);
    // Longer than any field width, and in scripts that Latin-1 cannot hold.
    const QString folder = QStringLiteral("/a/very/long/folder/name/that/goes/on/and/on/beyond/"
                                          "sixty/four/characters/Станция/東京/");
    const QString name = "device-servers-site-A-2026-Ü.txt";
    SaveDataFileLocation(t.context.settings, folder, name);

    QCOMPARE(t.context.settings.DatabaseFileDir, folder);
    QCOMPARE(t.context.settings.DatabaseFileName, name);
    QCOMPARE(t.readFile("ConfigUtility.ini"),
             "[Application]\r\nTitleBarName=Tool\r\n[Database]\r\nEndUser=x\r\n" +
                 ("DatabaseFileDir=" + folder + "\r\nDatabaseFileName=" + name + "\r\n").toUtf8());
    t.reloadSettings(); // the next start finds the same file
    QCOMPARE(t.context.settings.DatabaseFileDir, folder);
    QCOMPARE(t.context.settings.DatabaseFileName, name);

    // A second save replaces both keys in place.
    SaveDataFileLocation(t.context.settings, "/d/", "f.txt");
    QCOMPARE(t.readFile("ConfigUtility.ini"),
             QByteArray("[Application]\r\nTitleBarName=Tool\r\n[Database]\r\nEndUser=x\r\n"
                        "DatabaseFileDir=/d/\r\nDatabaseFileName=f.txt\r\n"));
    t.reloadSettings();
    QCOMPARE(t.context.settings.DatabaseFileDir.trimmed(), "/d/");
}
