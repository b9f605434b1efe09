#include "DataFileTest.h"

#include "FailureOf.h"
#include "FileSizeLimit.h"
#include "TestContext.h"
#include "core/datafile/DataFile.h"
#include "core/datafile/DataFileFormat.h"
#include "core/datafile/DeviceRecordSave.h"

#include <QDir>
#include <QTest>
#include <algorithm>

namespace {

DeviceRecord rec(const QString &ip, const QString &hw = QStringLiteral("02-00-00-04-0B-0C"))
{
    return {{ip, hw, QStringLiteral("4.5"), QStringLiteral("X1"),
             QStringLiteral("two port (Q2, Q2R)")}};
}

QByteArray line(const char *ip)
{
    return QByteArray("\"") + ip +
           "\",\"02-00-00-04-0B-0C\",\"4.5\",\"X1\",\"two port (Q2, Q2R)\"\r\n";
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

} // namespace

void DataFileTest::lineFormat()
{
    const DeviceRecord letters{{"a", "b", "c", "d", "e"}};
    QCOMPARE(recordLine(letters), QByteArray("\"a\",\"b\",\"c\",\"d\",\"e\"\r\n"));
    QCOMPARE(recordLine(letters).size(), 21);
    QCOMPARE(recordLine(DeviceRecord{}), QByteArray("\"\",\"\",\"\",\"\",\"\"\r\n"));
    // The format has no escape: a quote is stored as an apostrophe and a line
    // end as a blank, or the field would not read back as itself.
    QCOMPARE(recordLine(DeviceRecord{{"a\"b", "c\r\nd", "", "", ""}}),
             QByteArray("\"a'b\",\"c  d\",\"\",\"\",\"\"\r\n"));
}

void DataFileTest::reading_data()
{
    using Lines = QList<QStringList>;
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Lines>("lines");
    const Lines five{{"a", "b", "c", "d", "e"}};
    QTest::newRow("canonical CRLF") << QByteArray("\"a\",\"b\",\"c\",\"d\",\"e\"\r\n") << five;
    QTest::newRow("LF only") << QByteArray("\"a\",\"b\",\"c\",\"d\",\"e\"\n") << five;
    QTest::newRow("no final line end") << QByteArray("\"a\",\"b\",\"c\",\"d\",\"e\"") << five;
    QTest::newRow("unquoted, blanks after commas") << QByteArray("a, b,  c,\td,e\r\n") << five;
    QTest::newRow("rest after closing quote skipped")
        << QByteArray("\"a\"xx,\"b\" ,\"c\"\"d\",d,e\r\n") << five;
    QTest::newRow("text after a closing quote is skipped")
        << QByteArray("\"a\"xx\"y,b") << Lines{{"a", "b"}};
    QTest::newRow("comma inside quotes")
        << QByteArray("\"a,1\",b,c,d,e\r\n") << Lines{{"a,1", "b", "c", "d", "e"}};
    QTest::newRow("quote inside an unquoted field stays")
        << QByteArray("a\"b,c") << Lines{{"a\"b", "c"}};
    QTest::newRow("trailing blanks kept unquoted")
        << QByteArray("a ,b,c,d,e\r\n") << Lines{{"a ", "b", "c", "d", "e"}};
    QTest::newRow("empty fields") << QByteArray(",,\"\",,\r\n") << Lines{{"", "", "", "", ""}};
    QTest::newRow("trailing comma gives an empty field") << QByteArray("a,") << Lines{{"a", ""}};
    QTest::newRow("lone quote") << QByteArray("\"") << Lines{{""}};
    QTest::newRow("blank lines skipped") << QByteArray("\r\n  \r\na,b,c,d,e\r\n\r\n\n") << five;
    QTest::newRow("unbalanced quote ends with its line")
        << QByteArray("\"a,b,c\r\nd,e\r\n") << Lines{{"a,b,c"}, {"d", "e"}};
    QTest::newRow("lone CR line ends")
        << QByteArray("a,b\rc,d\re") << Lines{{"a", "b"}, {"c", "d"}, {"e"}};
    QTest::newRow("lone CR after a closing quote")
        << QByteArray("\"a\"\r\"b\"") << Lines{{"a"}, {"b"}};
    QTest::newRow("CR CR LF adds no record") << QByteArray("a\r\r\nb\r\r\n") << Lines{{"a"}, {"b"}};
    QTest::newRow("NUL inside a field")
        << QByteArray("\"a\0b\",\"c\"\r\n", 11) << Lines{{QString::fromLatin1("a\0b", 3), "c"}};
    QTest::newRow("bytes 0x80 to 0xFF")
        << QByteArray("\"\x80\xE9\xFF\"") << Lines{{QString::fromLatin1("\x80\xE9\xFF")}};
    QTest::newRow("empty file") << QByteArray() << Lines{};
}

void DataFileTest::reading()
{
    QFETCH(QByteArray, bytes);
    QTEST(readFieldLines(bytes), "lines");
}

void DataFileTest::latin1RoundTrip()
{
    QByteArray all;
    for (int b = 0x80; b <= 0xFF; ++b)
        all += char(b);
    const QByteArray bytes = "\"" + all + "\",\"b\",\"c\",\"d\",\"e\"\r\n";
    const QList<DeviceRecord> records = parseRecords(bytes);
    QCOMPARE(records.size(), 1);
    QCOMPARE(records[0].fields[0].size(), 128);
    QCOMPARE(formatRecords(records), bytes);
}

void DataFileTest::unreadableFilesFail()
{
    TestContext t;
    t.writeFile("empty.txt", {});
    t.writeFile("blank.txt", "\r\n   \r\n");
    const auto readFailure = [&](const char *name) {
        return failureOf([&] { readAllRecords(t.path(name)); });
    };
    QCOMPARE(readFailure("empty.txt"), FailureNumber::InputPastEndOfFile);
    QCOMPARE(readFailure("blank.txt"), FailureNumber::InputPastEndOfFile);
    QCOMPARE(readFailure("none.txt"), FailureNumber::FileNotFound);
    QCOMPARE(readFailure("nodir/none.txt"), FailureNumber::PathNotFound);
}

void DataFileTest::oneRecordPerLine()
{
    // A hand-edited line with too few or too many fields stays one record and
    // shifts none of the records after it.
    TestContext t;
    t.writeFile("odd.txt", "a,b,c\r\nd,e,f,g,h,i\r\n" + line("10.0.0.3"));
    const QList<DeviceRecord> records = readAllRecords(t.path("odd.txt"));
    QCOMPARE(records.size(), 3);
    QCOMPARE(records[0], (DeviceRecord{{"a", "b", "c", "", ""}}));
    QCOMPARE(records[1], (DeviceRecord{{"d", "e", "f", "g", "h"}}));
    QCOMPARE(records[2], rec("10.0.0.3"));
}

void DataFileTest::saveBytes_data()
{
    // The record saved is rec(ip, hw); a null `before` means no file yet.
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("hw");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QByteArray>("after");
    const QString hw = "02-00-00-04-0B-0C";
    const QString newHw = "02-00-00-00-00-99";
    const int appended = int(SaveOutcome::Appended);
    const int replaced = int(SaveOutcome::Replaced);
    const QByteArray odd = "10.0.0.1, \"x\",y,z,w\r\n" + line("10.0.0.2");
    QTest::newRow("append keeps other bytes")
        << odd << "10.0.0.3" << hw << appended << odd + line("10.0.0.3");
    QTest::newRow("append after an unterminated line")
        << line("10.0.0.1").chopped(2) << "10.0.0.3" << hw << appended
        << line("10.0.0.1") + line("10.0.0.3");
    // The address appears, but never as a record's first field.
    const QByteArray otherColumn = "\"10.0.0.2\",\"10.0.0.1\",\"a\",\"b\",\"c\"\r\n";
    QTest::newRow("address in another column appends")
        << otherColumn << "10.0.0.1" << hw << appended << otherColumn + line("10.0.0.1");
    QTest::newRow("append creates the file")
        << QByteArray() << "10.0.0.3" << hw << appended << line("10.0.0.3");
    const QByteArray updated = recordLine(rec("10.0.0.1", newHw));
    QTest::newRow("replace every line of the address in place")
        << line("10.0.0.1") + line("10.0.0.2") + line("10.0.0.1") + line("10.0.0.4") << "10.0.0.1"
        << newHw << replaced << updated + line("10.0.0.2") + updated + line("10.0.0.4");
    QTest::newRow("replace rewrites canonically")
        << "10.0.0.9, hw, 1.0,X1 ,\"dev\"\n" + line("10.0.0.1") << "10.0.0.1" << hw << replaced
        << "\"10.0.0.9\",\"hw\",\"1.0\",\"X1 \",\"dev\"\r\n" + line("10.0.0.1");
}

void DataFileTest::saveBytes()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, ip);
    QFETCH(QString, hw);
    TestContext t;
    if (!before.isNull())
        t.writeFile("d.txt", before);
    QTEST(int(saveDeviceRecord(t.path("d.txt"), rec(ip, hw))), "outcome");
    QTEST(t.readFile("d.txt"), "after");
    QCOMPARE(entries(t.folder()), QStringList{"d.txt"}); // no working copy left
}

void DataFileTest::appendThenRead_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QStringList>("added");
    const QStringList plain{"10.0.0.3", "02-00-00-04-0B-0C", "4.5", "X1", "two port (Q2, Q2R)"};
    QTest::newRow("after a short record") << "a,b,c\r\n" + line("10.0.0.2") << plain;
    QTest::newRow("after an unterminated short record") << QByteArray("a,b") << plain;
    QTest::newRow("after a long record and blank lines")
        << QByteArray("d,e,f,g,h,i\r\n\r\n\n") << plain;
    QTest::newRow("after a lone CR") << QByteArray("\"x\"\r") << plain;
    QStringList hostile = plain;
    hostile[3] = "\",";
    QTest::newRow("firmware type of a quote and a comma") << line("10.0.0.1") << hostile;
}

void DataFileTest::appendThenRead()
{
    // The file reads back as its old records followed by the new one as
    // stored, whatever the old lines and the new fields hold.
    QFETCH(QByteArray, before);
    QFETCH(QStringList, added);
    DeviceRecord record;
    std::copy(added.begin(), added.end(), record.fields.begin());
    TestContext t;
    t.writeFile("d.txt", before);
    QCOMPARE(saveDeviceRecord(t.path("d.txt"), record), SaveOutcome::Appended);
    QVERIFY(t.readFile("d.txt").startsWith(before));
    const QList<DeviceRecord> expected = parseRecords(before) << storedRecord(record);
    QCOMPARE(readAllRecords(t.path("d.txt")), expected);
    QCOMPARE(storedRecord(record).fields[3], added[3].replace('"', '\''));

    // Saved again, the stored record is found and replaced in its place.
    QCOMPARE(saveDeviceRecord(t.path("d.txt"), record), SaveOutcome::Replaced);
    QCOMPARE(readAllRecords(t.path("d.txt")), expected);
}

void DataFileTest::failedSaveLeavesFileWhole_data()
{
    QTest::addColumn<bool>("replace");
    QTest::newRow("replace") << true;
    QTest::newRow("append, cut off part way") << false;
}

void DataFileTest::failedSaveLeavesFileWhole()
{
    // The file may not grow past a limit; what was there stays intact.
    QFETCH(bool, replace);
    TestContext t;
    QByteArray before;
    for (int i = 0; i < 20; ++i)
        before += line(QByteArray("10.0.0." + QByteArray::number(i)).constData());
    t.writeFile("d.txt", before);
    int number = 0;
    {
        FileSizeLimit limit(replace ? before.size() / 2 : before.size() + 10);
        QVERIFY(limit.active());
        const QString ip = replace ? "10.0.0.5" : "10.0.0.30";
        number = failureOf([&] { saveDeviceRecord(t.path("d.txt"), rec(ip)); });
    }
    QVERIFY(number != 0);
    QCOMPARE(t.readFile("d.txt"), before);
    QCOMPARE(entries(t.folder()), QStringList{"d.txt"});
}

void DataFileTest::readOnlyFolderWritesInPlace()
{
    // Appending and replacing both work on a writable file in a folder that
    // cannot take the temporary file; a new file there cannot be made.
    TestContext t;
    QVERIFY(QDir(t.folder()).mkdir("ro"));
    t.writeFile("ro/d.txt", line("10.0.0.1"));
    ReadOnlyFolder guard(t.path("ro"));
    if (!guard.usable())
        QSKIP("the folder stays writable for this user");
    QCOMPARE(saveDeviceRecord(t.path("ro/d.txt"), rec("10.0.0.2")), SaveOutcome::Appended);
    const DeviceRecord updated = rec("10.0.0.1", "02-00-00-00-00-99");
    QCOMPARE(saveDeviceRecord(t.path("ro/d.txt"), updated), SaveOutcome::Replaced);
    QCOMPARE(t.readFile("ro/d.txt"), recordLine(updated) + line("10.0.0.2"));
    QCOMPARE(failureOf([&] { writeAllRecords(t.path("ro/new.txt"), {updated}); }),
             FailureNumber::PermissionDenied);
    QCOMPARE(entries(t.path("ro")), QStringList{"d.txt"});
}

void DataFileTest::unreadableFileIsNotOverwritten()
{
    TestContext t;
    QVERIFY(QDir(t.folder()).mkdir("d.txt"));
    const int number = failureOf([&] { saveDeviceRecord(t.path("d.txt"), rec("10.0.0.3")); });
    QVERIFY(number != 0);
    QVERIFY(number != FailureNumber::FileNotFound && number != FailureNumber::PathNotFound);
    QVERIFY(QFileInfo(t.path("d.txt")).isDir());
}

void DataFileTest::splitAndJoin_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    const auto row = [](const char *path, const char *folder, const char *name) {
        QTest::newRow(path) << QString(path) << QString(folder) << QString(name);
    };
    row("/data/dev/devices.txt", "/data/dev/", "devices.txt");
    row("/devices.txt", "/", "devices.txt");
    row("devices.txt", "", "devices.txt");
    row("/a.b/c", "/a.b/", "c");
}

void DataFileTest::splitAndJoin()
{
    QFETCH(QString, path);
    QFETCH(QString, folder);
    QFETCH(QString, name);
    const FileLocation location = splitLocation(path);
    QCOMPARE(location.folder, folder);
    QCOMPARE(location.fileName, name);
    QCOMPARE(joinLocation(folder, name), path);
    if (folder.size() > 1)
        QCOMPARE(joinLocation(folder.chopped(1), name), path); // separator inserted
}
