#include "HostileInputTest.h"

#include "FailureOf.h"
#include "RandomBytes.h"
#include "TestContext.h"
#include "core/datafile/DataFile.h"
#include "core/datafile/DataFileFormat.h"
#include "core/support/Failure.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <sys/stat.h>

void HostileInputTest::randomBytesReadWithoutHarm()
{
    // Whatever the bytes, every field is single-line text, and the records
    // written from them read back as written, in their stored form.
    for (quint32 seed = 1; seed <= 20; ++seed) {
        const QByteArray bytes = randomBytes(4096 * seed, seed);
        const QList<DeviceRecord> records = parseRecords(bytes);
        QList<DeviceRecord> stored;
        for (const DeviceRecord &record : records) {
            for (const QString &field : record.fields)
                QVERIFY(!field.contains(QLatin1Char('\r')) && !field.contains(QLatin1Char('\n')));
            stored.append(storedRecord(record));
        }
        QCOMPARE(parseRecords(formatRecords(records)), stored);
    }
}

void HostileInputTest::hugeInputsReadInLinearTime_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("records");
    const QByteArray longText(10 * 1024 * 1024, 'x');
    QTest::newRow("10 MB quoted field") << ('"' + longText + "\",b,c,d,e\r\n") << 1;
    QTest::newRow("10 MB unquoted line") << (longText + ",b,c,d,e") << 1;
    QTest::newRow("10 MB unclosed quote") << ('"' + longText) << 1;
    QByteArray tiny;
    tiny.reserve(2'000'000);
    for (int i = 0; i < 1'000'000; ++i)
        tiny += i % 5 == 4 ? "a\n" : "a,";
    QTest::newRow("a million tiny fields") << tiny << 200'000;
}

void HostileInputTest::hugeInputsReadInLinearTime()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, records);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(parseRecords(bytes).size(), records);
    // Generous for sanitizer builds on a loaded machine; a quadratic reader
    // takes many minutes here.
    QVERIFY2(clock.elapsed() < 30000, qPrintable(QString::number(clock.elapsed())));
}

void HostileInputTest::specialFilesFailAtOnce_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("failure");
    QTest::newRow("FIFO") << "fifo" << FailureNumber::PathFileAccessError;
    QTest::newRow("folder") << "folder" << FailureNumber::PathFileAccessError;
    QTest::newRow("link to a device") << "device" << FailureNumber::PathFileAccessError;
    QTest::newRow("dangling link") << "dangling" << FailureNumber::FileNotFound;
    QTest::newRow("link to a data file") << "link" << 0;
}

void HostileInputTest::specialFilesFailAtOnce()
{
    // A FIFO would block the open until a writer appears; nothing may hang
    // and nothing but a regular file is read or replaced.
    QFETCH(QString, kind);
    QFETCH(int, failure);
    TestContext t;
    const QString path = t.path("d.txt");
    const QByteArray line("\"10.0.0.1\",\"a\",\"b\",\"c\",\"d\"\r\n");
    t.writeFile("real.txt", line);
    if (kind == "fifo")
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (kind == "folder")
        QVERIFY(QDir(t.folder()).mkdir("d.txt"));
    else if (kind == "device")
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    else if (kind == "dangling")
        QVERIFY(QFile::link(t.path("gone.txt"), path));
    else
        QVERIFY(QFile::link(t.path("real.txt"), path));

    QCOMPARE(failureOf([&] { readAllRecords(path); }), failure);
    if (failure == FailureNumber::PathFileAccessError) {
        DeviceRecord record;
        record.fields[0] = QStringLiteral("10.0.0.2");
        QCOMPARE(failureOf([&] { saveDeviceRecord(path, record); }), failure);
        QVERIFY(!QFileInfo(path).isFile());
    }
}
