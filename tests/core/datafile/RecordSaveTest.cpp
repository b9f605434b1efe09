#include "RecordSaveTest.h"

#include "FailureOf.h"
#include "TestContext.h"
#include "core/datafile/DataFile.h"
#include "core/datafile/DataFileFormat.h"
#include "core/datafile/DeviceRecordSave.h"
#include "core/settings/IniFile.h"
#include "core/support/SharedMessages.h"

#include <QDir>
#include <QTest>

namespace {

const QByteArray kIni =
    "[Database]\r\nDatabaseFileName=  dev.txt \r\nDatabaseFileDir=/srv/data/\r\n";

DeviceRecord untrimmed()
{
    return {{" 10.0.0.7 ", " 02-00-00-04-0B-0C", "4.5 ", "X1", " unknown device type "}};
}

DeviceRecord trimmed()
{
    return {{"10.0.0.7", "02-00-00-04-0B-0C", "4.5", "X1", "unknown device type"}};
}

QString iniValue(const TestContext &t, const char *key)
{
    return IniFile(t.path("ConfigUtility.ini"))
        .read(QStringLiteral("database"), QString::fromLatin1(key), QStringLiteral("?"), 300)
        .value;
}

} // namespace

void RecordSaveTest::dialogStartsAtSettingsFile()
{
    TestContext t(kIni);
    t.prompts.cancelFileDialog();
    QVERIFY(!saveRecordToChosenFile(t.prompts, t.context.settings, trimmed()));
    QCOMPARE(t.prompts.count(), 1);
    const auto shown = t.prompts.shown().first();
    QCOMPARE(shown.kind, ScriptedPrompts::Shown::SaveFile);
    QCOMPARE(shown.title, QStringLiteral("Save As"));
    QCOMPARE(shown.request.filter, QStringLiteral("Text Files (*.txt)|*.txt"));
    QCOMPARE(shown.request.initialFolder, QStringLiteral("/srv/data/"));
    QCOMPARE(shown.request.initialName, QStringLiteral("dev.txt"));
}

void RecordSaveTest::saveUpdatesSettings_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::newRow("short") << "data"
                           << "devices.txt";
    QTest::newRow("names past any field width")
        << "a-folder-whose-name-alone-runs-past-sixty-four-characters-of-path"
        << "device-servers-site-A-2026.txt";
}

void RecordSaveTest::saveUpdatesSettings()
{
    // The chosen file gets the record with its fields trimmed, and the
    // settings remember it whole.
    QFETCH(QString, folder);
    QFETCH(QString, name);
    TestContext t(kIni);
    QVERIFY(QDir(t.folder()).mkdir(folder));
    const QString path = t.path(folder + "/" + name);
    t.prompts.choosePath(path);
    QVERIFY(saveRecordToChosenFile(t.prompts, t.context.settings, untrimmed()));
    QCOMPARE(t.readFile(folder + "/" + name), recordLine(trimmed()));
    QCOMPARE(t.context.settings.DatabaseFileDir.trimmed(), t.path(folder) + "/");
    QCOMPARE(t.context.settings.DatabaseFileName.trimmed(), name);
    QCOMPARE(iniValue(t, "DatabaseFileDir"), t.path(folder) + "/");
    QCOMPARE(iniValue(t, "DatabaseFileName"), name);

    // The next save starts from the stored file and replaces the line.
    t.prompts.choosePath(path);
    QVERIFY(saveRecordToChosenFile(t.prompts, t.context.settings, untrimmed()));
    const auto shown = t.prompts.shown().last().request;
    QCOMPARE(shown.initialFolder, t.path(folder) + "/");
    QCOMPARE(shown.initialName, name);
    QCOMPARE(t.readFile(folder + "/" + name), recordLine(trimmed()));
}

void RecordSaveTest::pathNotFoundAsksAgain()
{
    TestContext t(kIni);
    t.prompts.choosePath(t.path("missing/devices.txt"));
    t.prompts.choosePath(t.path("devices.txt"));
    QVERIFY(saveRecordToChosenFile(t.prompts, t.context.settings, trimmed()));
    QCOMPARE(t.prompts.count(), 3);
    QCOMPARE(t.prompts.messageTexts(), QStringList{kPathNotFoundText});
    QCOMPARE(t.prompts.shown().at(2).kind, ScriptedPrompts::Shown::SaveFile);
    QCOMPARE(t.readFile("devices.txt"), recordLine(trimmed()));
    QVERIFY(!QDir(t.path("missing")).exists());
}

void RecordSaveTest::cancelOrEmptyPathSavesNothing()
{
    TestContext t(kIni);
    const QByteArray iniBefore = t.readFile("ConfigUtility.ini");
    t.prompts.cancelFileDialog();
    QVERIFY(!saveRecordToChosenFile(t.prompts, t.context.settings, trimmed()));
    t.prompts.choosePath(QString());
    QVERIFY(!saveRecordToChosenFile(t.prompts, t.context.settings, trimmed()));
    QCOMPARE(t.readFile("ConfigUtility.ini"), iniBefore);
    QCOMPARE(t.context.settings.DatabaseFileName.trimmed(), QStringLiteral("dev.txt"));
    QCOMPARE(t.prompts.messages().size(), 0);
}

void RecordSaveTest::otherFailureIsThrown()
{
    TestContext t(kIni);
    QVERIFY(QDir(t.folder()).mkdir("taken.txt"));
    t.prompts.choosePath(t.path("taken.txt"));
    const int number =
        failureOf([&] { saveRecordToChosenFile(t.prompts, t.context.settings, trimmed()); });
    QVERIFY(number != 0 && number != FailureNumber::PathNotFound);
    QCOMPARE(t.context.settings.DatabaseFileName.trimmed(), QStringLiteral("dev.txt"));
}
