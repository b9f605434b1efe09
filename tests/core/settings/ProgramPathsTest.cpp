#include "ProgramPathsTest.h"

#include "TestContext.h"
#include "core/settings/ProgramPaths.h"
#include "core/settings/SettingsRecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

namespace {

// A temporary tree: exe/ (the executable's folder), share/, home/, cfg/, data/.
struct Tree {
    QTemporaryDir dir;
    Tree()
    {
        for (const char *name : {"exe", "share", "home", "cfg", "data"})
            QDir(dir.path()).mkdir(QString::fromLatin1(name));
    }
    QString path(const QString &relative) const { return dir.filePath(relative); }
    // "{exe}/x" and the like as real paths.
    QString expand(QString pattern) const
    {
        for (const char *name : {"exe", "share", "home", "cfg", "data"})
            pattern.replace(QStringLiteral("{%1}").arg(QLatin1String(name)),
                            path(QString::fromLatin1(name)));
        return pattern;
    }
    void write(const QString &relative, const QByteArray &bytes) const
    {
        QFile file(path(relative));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray read(const QString &relative) const
    {
        QFile file(path(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    // The decision for exe/ and share/ with HOME at home/ and the XDG
    // variables as given ("-": unset).
    ProgramPaths decided(const QString &config = "{cfg}", const QString &data = "{data}") const
    {
        QProcessEnvironment environment;
        environment.insert("HOME", path("home"));
        if (config != QLatin1String("-"))
            environment.insert("XDG_CONFIG_HOME", expand(config));
        if (data != QLatin1String("-"))
            environment.insert("XDG_DATA_HOME", expand(data));
        return decideProgramPaths(path("exe"), path("share"), environment);
    }
};

const QByteArray kShippedIni = "[Database]\r\nInfobaseFile=ProductInfobase.txt\r\n";

} // namespace

void ProgramPathsTest::decision_data()
{
    QTest::addColumn<bool>("settingsBeside");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("xdgConfig"); // "-": unset
    QTest::addColumn<QString>("xdgData");
    QTest::addColumn<bool>("portable");
    // settings file, shipped settings, Graphics, Firmware, error log, data-file folder
    QTest::addColumn<QStringList>("expected");

    const QStringList beside = {"{exe}/ConfigUtility.ini", "{exe}/ConfigUtility.ini",
                                "{exe}/Graphics",          "{exe}/Firmware",
                                "{exe}/ErrorLog.txt",      "{exe}"};
    const QStringList xdg = {"{cfg}/configutility/ConfigUtility.ini",
                             "{share}/ConfigUtility.ini",
                             "{share}/Graphics",
                             "{data}/configutility/Firmware",
                             "{data}/configutility/ErrorLog.txt",
                             "{data}/configutility"};
    const QStringList home = {"{home}/.config/configutility/ConfigUtility.ini",
                              "{share}/ConfigUtility.ini",
                              "{share}/Graphics",
                              "{home}/.local/share/configutility/Firmware",
                              "{home}/.local/share/configutility/ErrorLog.txt",
                              "{home}/.local/share/configutility"};
    QStringList readOnlyCopy = xdg;
    readOnlyCopy[1] = "{exe}/ConfigUtility.ini";
    readOnlyCopy[2] = "{exe}/Graphics";

    const QString cfg = "{cfg}";
    const QString data = "{data}";
    const QString unset = "-";
    QTest::newRow("settings beside a writable executable: portable")
        << true << false << cfg << data << true << beside;
    QTest::newRow("no settings beside: installed") << false << false << cfg << data << false << xdg;
    QTest::newRow("XDG unset: under HOME") << false << false << unset << unset << false << home;
    QTest::newRow("XDG empty or relative: under HOME")
        << false << false << QString() << "rel/data" << false << home;
    QTest::newRow("read-only folder with settings: installed, shipping its own files")
        << true << true << cfg << data << false << readOnlyCopy;
}

void ProgramPathsTest::decision()
{
    QFETCH(bool, settingsBeside);
    QFETCH(bool, readOnly);
    QFETCH(QString, xdgConfig);
    QFETCH(QString, xdgData);
    QFETCH(bool, portable);
    QFETCH(QStringList, expected);

    Tree tree;
    if (settingsBeside)
        tree.write("exe/ConfigUtility.ini", kShippedIni);
    std::optional<ReadOnlyMount> guard;
    if (readOnly) {
        guard.emplace(tree.path("exe"));
        if (!guard->usable())
            QSKIP("the folder stays writable here (root without a private mount namespace)");
    }
    const ProgramPaths paths = tree.decided(xdgConfig, xdgData);
    QCOMPARE(paths.mode, portable ? ProgramPaths::Mode::Portable : ProgramPaths::Mode::Installed);
    const QStringList got = {paths.settingsFile,   paths.shippedSettings, paths.graphicsFolder,
                             paths.firmwareFolder, paths.errorLog,        paths.dataFileFolder};
    QStringList want;
    for (const QString &pattern : expected)
        want << tree.expand(pattern);
    QCOMPARE(got, want);
}

void ProgramPathsTest::firstInstalledStart()
{
    Tree tree;
    tree.write("share/ConfigUtility.ini", kShippedIni);
    tree.write("share/ProductInfobase.txt", "\"3Q\",\"Standard\"\r\n");
    // Shipped files belong to root and are read-only; the user's copies must not be.
    QFile::setPermissions(tree.path("share/ConfigUtility.ini"),
                          QFileDevice::ReadOwner | QFileDevice::ReadOther);
    ProgramPaths paths = tree.decided();

    prepareUserFiles(paths);
    QCOMPARE(tree.read("cfg/configutility/ConfigUtility.ini"), kShippedIni);
    QVERIFY(QFile::permissions(paths.settingsFile) & QFileDevice::WriteOwner);
    QVERIFY(QFileInfo(paths.firmwareFolder).isDir());
    SettingsRecord settings = LoadSettings(paths);
    QCOMPARE(settings.DatabaseFileDir.trimmed(), tree.path("data/configutility"));

    // What the user changed survives the next start.
    SaveDataFileLocation(settings, "/d/", "x.txt");
    const QByteArray changed = tree.read("cfg/configutility/ConfigUtility.ini");
    QVERIFY(changed.contains("DatabaseFileName=x.txt"));
    prepareUserFiles(paths);
    QCOMPARE(tree.read("cfg/configutility/ConfigUtility.ini"), changed);

    // The infobase: shipped until the default-file step makes the user's copy,
    // which keeps the shipped lines; the shipped file is never written.
    const QString name = "ProductInfobase.txt";
    QCOMPARE(paths.infobaseToRead(name), tree.path("share/ProductInfobase.txt"));
    const QString copy = paths.prepareInfobaseCopy(name);
    QCOMPARE(copy, tree.path("data/configutility/ProductInfobase.txt"));
    QCOMPARE(tree.read("data/configutility/ProductInfobase.txt"),
             QByteArray("\"3Q\",\"Standard\"\r\n"));
    QCOMPARE(paths.infobaseToRead(name), copy);
    QCOMPARE(paths.infobaseToRead("Other.txt"), tree.path("share/Other.txt"));
}

void ProgramPathsTest::portableStartMakesNothing()
{
    Tree tree;
    tree.write("exe/ConfigUtility.ini", kShippedIni);
    tree.write("exe/ProductInfobase.txt", "\"3Q\",\"Standard\"\r\n");
    ProgramPaths paths = tree.decided();
    QCOMPARE(paths.mode, ProgramPaths::Mode::Portable);
    prepareUserFiles(paths);
    QCOMPARE(paths.prepareInfobaseCopy("ProductInfobase.txt"),
             tree.path("exe/ProductInfobase.txt"));
    QCOMPARE(QDir(tree.path("exe")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             (QStringList{"ConfigUtility.ini", "ProductInfobase.txt"}));
    for (const char *folder : {"cfg", "data", "home"})
        QVERIFY(QDir(tree.path(QString::fromLatin1(folder))).isEmpty());
}

void ProgramPathsTest::settingsFileThatCannotBeMade()
{
    Tree tree;
    tree.write("share/ConfigUtility.ini", "[Database]\r\nEndUser=KVR\r\n");
    // Not even root makes a folder below a plain file.
    tree.write("home/blocker", "");
    ProgramPaths paths = tree.decided("{home}/blocker");
    prepareUserFiles(paths);
    QCOMPARE(paths.settingsFile, paths.shippedSettings);
    QCOMPARE(LoadSettings(paths).EndUser, "KVR");
}
