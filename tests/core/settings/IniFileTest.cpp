#include "core/settings/IniFile.h"
#include "FileSizeLimit.h"
#include "SettingsTest.h"
#include "TestContext.h"

#include <QDir>
#include <QTest>

namespace {
const QByteArray kSample = "; comment line\r\n"
                           "[APPLICATION]\r\n"
                           "AppName = Field Tool \r\n"
                           "Empty=\r\n"
                           "Equals=a=b = c\r\n"
                           "Dup=first\r\n"
                           "Quoted= \"  padded \" \r\n"
                           "Lone=\"\r\n"
                           "dup=second\r\n"
                           "\r\n"
                           "[Database]\r\n"
                           "DatabaseFileDir=/data/\r\n"
                           "; DatabaseFileName=commented\r\n";
}

void SettingsTest::iniRead_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("count");
    const auto row = [](const char *name, const char *section, const char *key,
                        const char *expected, int count) {
        QTest::newRow(name) << QString(section) << QString(key) << QString(expected) << count;
    };
    row("capitalised section, value trimmed", "Application", "AppName", "Field Tool", 10);
    row("key case ignored", "application", "APPNAME", "Field Tool", 10);
    row("empty value is not the default", "Application", "Empty", "", 0);
    row("text after the first =", "Application", "Equals", "a=b = c", 7);
    row("quotes keep inner blanks", "Application", "Quoted", "  padded ", 9);
    row("a lone quote stays", "Application", "Lone", "\"", 1);
    row("first of duplicates", "Application", "dup", "first", 5);
    row("missing key gives default", "Application", "Nope", "dflt", 4);
    row("missing section gives default", "Images", "AppName", "dflt", 4);
    row("key of another section not seen", "Database", "AppName", "dflt", 4);
    row("commented key not seen", "Database", "DatabaseFileName", "dflt", 4);
}

void SettingsTest::iniRead()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QFETCH(int, count);
    TestContext t;
    t.writeFile("a.ini", kSample);
    const ProfileValue v = IniFile(t.path("a.ini")).read(section, key, "dflt");
    QCOMPARE(v.value, expected);
    QCOMPARE(v.count, count);

    const ProfileValue missing = IniFile(t.path("none.ini")).read(section, key, "dflt");
    QCOMPARE(missing.value, "dflt");
}

void SettingsTest::iniReadCutsToBuffer()
{
    TestContext t;
    t.writeFile("a.ini", "[S]\nK=" + QByteArray(100, 'x') + "\n");
    const IniFile ini(t.path("a.ini"));
    QCOMPARE(ini.read("S", "K", {}).count, 63);
    QCOMPARE(ini.read("S", "K", {}, 10).value, QString(9, QLatin1Char('x')));
}

void SettingsTest::iniReadOnceUntilWritten()
{
    // One read of the file answers every key; a write keeps what others
    // changed meanwhile and is then what the reads see.
    TestContext t;
    t.writeFile("a.ini", "[s]\r\nA=1\r\nB=2\r\n");
    IniFile ini(t.path("a.ini"));
    QCOMPARE(ini.read("s", "A", {}).value, "1");
    t.writeFile("a.ini", "[s]\r\nA=changed\r\nC=3\r\n");
    QCOMPARE(ini.read("s", "A", {}).value, "1");
    QCOMPARE(ini.read("s", "B", "-").value, "2");
    QCOMPARE(ini.read("s", "C", "-").value, "-");
    QVERIFY(ini.write("s", "D", "4"));
    QCOMPARE(t.readFile("a.ini"), "[s]\r\nA=changed\r\nC=3\r\nD=4\r\n");
    QCOMPARE(ini.read("s", "A", {}).value, "changed");
    QCOMPARE(ini.read("s", "B", "-").value, "-");
}

void SettingsTest::iniWrite_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("after");

    const auto row = [](const char *name, const QByteArray &before, const char *section,
                        const char *key, const QByteArray &after) {
        QTest::newRow(name) << before << QString(section) << QString(key) << after;
    };
    row("replace in capitalised section, other lines kept",
        "; top\r\n[DATABASE]\r\n  DatabaseFileDir = old  \r\nOther=1\r\n[Next]\r\nX=2\r\n",
        "database", "DatabaseFileDir",
        "; top\r\n[DATABASE]\r\nDatabaseFileDir=NEW\r\nOther=1\r\n[Next]\r\nX=2\r\n");
    row("key added after the section's last line", "[database]\nA=1\n\n[Next]\nX=2\n", "Database",
        "B", "[database]\nA=1\nB=NEW\n\n[Next]\nX=2\n");
    row("section added at the end, file's line ends kept", "[Other]\nA=1", "database", "K",
        "[Other]\nA=1\n[database]\nK=NEW\n");
    row("new file gets CR LF", QByteArray(), "database", "K", "[database]\r\nK=NEW\r\n");
    row("key of the same name in another section untouched", "[a]\r\nK=1\r\n[database]\r\nK=2\r\n",
        "database", "k", "[a]\r\nK=1\r\n[database]\r\nk=NEW\r\n");
    row("lone CR line ends, replaced and kept", "[a]\rK=1\r[database]\rK=2\rL=3", "database", "K",
        "[a]\rK=1\r[database]\rK=NEW\rL=3");
    row("lone CR line ends, key added", "[database]\rA=1\r\r[b]\r", "database", "K",
        "[database]\rA=1\rK=NEW\r\r[b]\r");
    // The new line takes the ending of the line it follows: a lone CR before
    // the blank LF-only line would merge with it into one CR LF.
    row("key added among mixed line ends", "[a]\r[database]\nA=1\n\n[b]\n", "database", "K",
        "[a]\r[database]\nA=1\nK=NEW\n\n[b]\n");
}

void SettingsTest::iniWrite()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QByteArray, after);
    TestContext t;
    if (!before.isNull())
        t.writeFile("a.ini", before);
    IniFile ini(t.path("a.ini"));
    QVERIFY(ini.write(section, key, "NEW"));
    QCOMPARE(t.readFile("a.ini"), after);
    QCOMPARE(ini.read(section, key, {}).value, "NEW");
}

void SettingsTest::iniWriteValueReadsBack_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("line"); // written after "[s]\r\n", empty when refused
    QTest::newRow("plain") << "a b" << QByteArray("K=a b\r\n");
    QTest::newRow("blanks around it") << " a\t" << QByteArray("K=\" a\t\"\r\n");
    QTest::newRow("enclosed in quotes") << "'a'" << QByteArray("K=\"'a'\"\r\n");
    QTest::newRow("a quote at one end only") << "\"a" << QByteArray("K=\"a\r\n");
    QTest::newRow("line end refused") << "a\r\n[x]" << QByteArray();
    QTest::newRow("lone LF refused") << "a\nb" << QByteArray();
}

void SettingsTest::iniWriteValueReadsBack()
{
    // A value always reads back as written; one that cannot be kept on its
    // own line is refused and leaves the file as it was.
    QFETCH(QString, value);
    QFETCH(QByteArray, line);
    TestContext t;
    t.writeFile("a.ini", "[s]\r\n");
    IniFile ini(t.path("a.ini"));
    QCOMPARE(ini.write("s", "K", value), !line.isEmpty());
    QCOMPARE(t.readFile("a.ini"), "[s]\r\n" + line);
    if (!line.isEmpty())
        QCOMPARE(ini.read("s", "K", {}).value, value);
}

void SettingsTest::iniWriteToMissingFolderFails()
{
    TestContext t;
    IniFile ini(t.path("no/such/folder/a.ini"));
    QVERIFY(!ini.write("s", "k", "v"));
}

void SettingsTest::iniWriteInReadOnlyFolder()
{
    // No file can be made beside it, but the file itself may be written: it
    // is written in place. A file that is not there cannot be made.
    TestContext t;
    QVERIFY(QDir(t.folder()).mkdir("ro"));
    t.writeFile("ro/a.ini", "[database]\r\nK=old\r\n");
    ReadOnlyFolder guard(t.path("ro"));
    if (!guard.usable())
        QSKIP("the folder stays writable for this user");
    QVERIFY(IniFile(t.path("ro/a.ini")).write("database", "K", "new"));
    QCOMPARE(t.readFile("ro/a.ini"), QByteArray("[database]\r\nK=new\r\n"));
    QVERIFY(!IniFile(t.path("ro/b.ini")).write("database", "K", "new"));
}

void SettingsTest::iniWriteFailureKeepsFile()
{
    TestContext t;
    const QByteArray before =
        "[database]\r\nDatabaseFileDir=/old/\r\n" + QByteArray(2000, ';') + "\r\n";
    t.writeFile("a.ini", before);
    IniFile ini(t.path("a.ini"));
    {
        FileSizeLimit limit(1024); // every write past 1 KiB fails, root included
        QVERIFY(limit.active());
        QVERIFY(!ini.write("database", "DatabaseFileDir", "/new/"));
    }
    QCOMPARE(t.readFile("a.ini"), before);
    QCOMPARE(QDir(t.folder()).entryList(QDir::Files), QStringList{"a.ini"});
}
