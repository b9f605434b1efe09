#include "HostileFilesTest.h"

#include "TestContext.h"
#include "core/settings/IniFile.h"
#include "core/support/ErrorLog.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <sys/stat.h>

void HostileFilesTest::oddContent_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("value");      // of Database/Key, "-" for the default
    QTest::addColumn<QByteArray>("written"); // the file after writing Key=new
    const auto row = [](const char *name, const QByteArray &bytes, const QString &value,
                        const QByteArray &written) {
        QTest::newRow(name) << bytes << value << written;
    };
    const QByteArray added("[database]\r\nKey=new\r\n");
    row("header without ]", "[Database\r\nKey=a\r\n", "-", "[Database\r\nKey=a\r\n" + added);
    const QByteArray junk("\0\xFF\x80[\0]\x01=\x02\r\n", 11);
    row("binary junk before the section", junk + "[Database]\r\nKey=a\r\n", "a",
        junk + "[Database]\r\nKey=new\r\n");
    row("NUL inside the value", QByteArray("[Database]\nKey=a\0b\n", 19),
        QString::fromLatin1("a\0b", 3), "[Database]\nKey=new\n");
    row("high bytes", "[Database]\nKey=\xE9\xFF\n", QString::fromLatin1("\xE9\xFF"),
        "[Database]\nKey=new\n");
    row("UTF-8 value", "[Database]\nKey=Gerät 東京\n", QString::fromUtf8("Gerät 東京"),
        "[Database]\nKey=new\n");
    row("byte-order mark before the section", "\xEF\xBB\xBF[Database]\r\nKey=a\r\n", "a",
        "\xEF\xBB\xBF[Database]\r\nKey=new\r\n");
    row("CR CR LF line ends", "[Database]\r\r\nKey=a\r\r\n", "a", "[Database]\r\r\nKey=new\r\r\n");
    row("empty brackets", "[]\nKey=b\n[Database]\nKey=a\n", "a",
        "[]\nKey=b\n[Database]\nKey=new\n");
    row("only an opening bracket", "[", "-", "[\r\n" + added);
}

void HostileFilesTest::oddContent()
{
    // Whatever the bytes, the reader finds what it can and the writer puts
    // the key where the reader will see it, keeping the other lines.
    QFETCH(QByteArray, bytes);
    QFETCH(QString, value);
    QFETCH(QByteArray, written);
    TestContext t;
    t.writeFile("o.ini", bytes);
    IniFile ini(t.path("o.ini"));
    QCOMPARE(ini.read("Database", "Key", "-").value, value);
    QVERIFY(ini.write("database", "Key", "new"));
    QCOMPARE(ini.read("Database", "Key", "-").value, QStringLiteral("new"));
    QCOMPARE(t.readFile("o.ini"), written);
}

void HostileFilesTest::hugeFileReadAndWritten()
{
    QByteArray bytes;
    bytes.reserve(21'000'000);
    for (int i = 0; i < 200'000; ++i)
        bytes += "Filler" + QByteArray::number(i) + "=" + QByteArray(80, 'f') + "\r\n";
    bytes += QByteArray(10'000'000, 'x') + "\r\n[Database]\r\nKey=a\r\n";
    TestContext t;
    t.writeFile("big.ini", bytes);
    IniFile ini(t.path("big.ini"));
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(ini.read("Database", "Key", "-").value, QStringLiteral("a"));
    QVERIFY(ini.write("Database", "Key", "bb"));
    QCOMPARE(ini.read("Database", "Key", "-").value, QStringLiteral("bb"));
    // Generous for sanitizer builds on a loaded machine; a write that rescans
    // the file per line takes many minutes here.
    QVERIFY2(clock.elapsed() < 30000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(t.readFile("big.ini").size(), bytes.size() + 1);
}

void HostileFilesTest::notARegularFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("folder") << "folder";
    QTest::newRow("link to a device") << "device";
}

void HostileFilesTest::notARegularFile()
{
    // A settings file that is a FIFO must not hang the start-up (the open
    // would wait for a writer); none of these is read or replaced.
    QFETCH(QString, kind);
    TestContext t;
    const QString path = t.path("s.ini");
    if (kind == "fifo")
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (kind == "folder")
        QVERIFY(QDir(t.folder()).mkdir("s.ini"));
    else
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    IniFile ini(path);
    QCOMPARE(ini.read("Database", "Key", "dflt").value, QStringLiteral("dflt"));
    QVERIFY(!ini.write("Database", "Key", "v"));
    QVERIFY(!QFileInfo(path).isFile());
}

void HostileFilesTest::unreadableFileIsNotReplaced()
{
    TestContext t;
    const QByteArray bytes("[Application]\r\nAppName=Mine\r\n");
    t.writeFile("s.ini", bytes);
    QFile file(t.path("s.ini"));
    QVERIFY(file.setPermissions(QFileDevice::WriteOwner));
    if (file.open(QIODevice::ReadOnly)) {
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QSKIP("root reads the file regardless of its permissions");
    }
    IniFile ini(t.path("s.ini"));
    QCOMPARE(ini.read("Application", "AppName", "dflt").value, QStringLiteral("dflt"));
    QVERIFY(!ini.write("database", "DatabaseFileName", "d.txt"));
    QVERIFY(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QCOMPARE(t.readFile("s.ini"), bytes);
}

void HostileFilesTest::errorLogThatIsAFifoIsSkipped()
{
    // Opening it for writing would wait for a reader for ever.
    TestContext t;
    const QString path = t.path("ErrorLog.txt");
    QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    LogError(path, QStringLiteral("place"), Failure(57, QStringLiteral("Device I/O error")),
             QDateTime::currentDateTime());
    QVERIFY(!QFileInfo(path).isFile());
    QVERIFY(QFileInfo(path).exists());
}
