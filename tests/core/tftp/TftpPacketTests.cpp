#include "TestDownloadLogic.h"

#include "BytePattern.h"
#include "FailureOf.h"
#include "core/tftp/TftpPackets.h"

#include <QBuffer>
#include <QTest>

namespace {

// A file that records how much each read asked for.
class RecordingBuffer : public QBuffer {
public:
    explicit RecordingBuffer(const QByteArray &bytes)
    {
        setData(bytes);
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    QList<qint64> requests;

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        requests.append(maxSize);
        return QBuffer::readData(data, maxSize);
    }
};

} // namespace

void TestDownloadLogic::writeRequestBytes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ROM") << "ROM" << QByteArray::fromHex("0002524f4d006f6374657400");
    QTest::newRow("WEB1") << "WEB1"
                          << QByteArray::fromHex("00025745423100"
                                                 "6f6374657400");
    QTest::newRow("3Q") << "3Q"
                        << QByteArray::fromHex("00023351"
                                               "006f6374657400");
    QTest::newRow("Latin-1 letter")
        << QStringLiteral("\u00e9") << QByteArray::fromHex("0002e9006f6374657400");
}

void TestDownloadLogic::writeRequestBytes()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    const QByteArray packet = Tftp::writeRequest(name);
    QCOMPARE(packet.toHex(' '), bytes.toHex(' '));
    QCOMPARE(packet.size(), 9 + name.size());
}

void TestDownloadLogic::writeRequestRefusesUnsendableNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("beyond Latin-1") << QStringLiteral("WEB\u20ac");
    QTest::newRow("embedded NUL") << QStringLiteral("WE") + QChar(0) + QStringLiteral("B");
}

void TestDownloadLogic::writeRequestRefusesUnsendableNames()
{
    QFETCH(QString, name);
    QCOMPARE(failureOf([&] { Tftp::writeRequest(name); }), FailureNumber::BadFileNameOrNumber);
}

void TestDownloadLogic::dataHeaderBytes_data()
{
    QTest::addColumn<int>("block");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("1") << 1 << QByteArray::fromHex("00030001");
    QTest::newRow("255") << 255 << QByteArray::fromHex("000300ff");
    QTest::newRow("256") << 256 << QByteArray::fromHex("00030100");
    QTest::newRow("32768") << 32768 << QByteArray::fromHex("00038000");
    QTest::newRow("65535") << 65535 << QByteArray::fromHex("0003ffff");
}

void TestDownloadLogic::dataHeaderBytes()
{
    QFETCH(int, block);
    QFETCH(QByteArray, bytes);
    QCOMPARE(Tftp::dataHeader(quint16(block)).toHex(' '), bytes.toHex(' '));
    QByteArray inPlace("\xff\xff\xff\xff\x5a", 5); // only the first four are written
    Tftp::writeDataHeader(inPlace.data(), quint16(block));
    QCOMPARE(inPlace.toHex(' '), (bytes + '\x5a').toHex(' '));
}

void TestDownloadLogic::payloadIsReadInOneCall_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QList<int>>("payloads");      // payload sizes, in order
    QTest::addColumn<QList<qint64>>("firstReads"); // what the first payload asked for
    QTest::newRow("empty") << 0 << QList<int>{} << QList<qint64>{};
    QTest::newRow("300") << 300 << QList<int>{300} << QList<qint64>{512};
    QTest::newRow("256") << 256 << QList<int>{256} << QList<qint64>{512};
    QTest::newRow("512") << 512 << QList<int>{512} << QList<qint64>{512};
    QTest::newRow("513") << 513 << QList<int>{512, 1} << QList<qint64>{512};
    QTest::newRow("1024") << 1024 << QList<int>{512, 512} << QList<qint64>{512};
}

void TestDownloadLogic::payloadIsReadInOneCall()
{
    QFETCH(int, size);
    QFETCH(QList<int>, payloads);
    QFETCH(QList<qint64>, firstReads);
    const QByteArray bytes = pattern(size);
    RecordingBuffer file(bytes);
    QList<int> sizes;
    QByteArray joined;
    for (int guard = 0; guard < 10; ++guard) {
        char buffer[Tftp::BlockSize];
        const QByteArray payload(buffer, Tftp::readPayload(file, buffer));
        if (guard == 0)
            QCOMPARE(file.requests, firstReads);
        if (payload.isEmpty())
            break;
        sizes.append(int(payload.size()));
        joined.append(payload);
    }
    QCOMPARE(sizes, payloads);
    QCOMPARE(joined, bytes);
}

void TestDownloadLogic::acknowledgement_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<bool>("isAck");
    QTest::addColumn<int>("block");
    QTest::newRow("write request ack") << QByteArray::fromHex("00040000") << true << 0;
    QTest::newRow("block 256") << QByteArray::fromHex("00040100") << true << 256;
    QTest::newRow("first byte not 0") << QByteArray::fromHex("ff040005") << true << 5;
    QTest::newRow("trailing bytes") << QByteArray::fromHex("0004ffff0102") << true << 65535;
    QTest::newRow("error packet") << QByteArray::fromHex("00050000416200") << false << 0;
    QTest::newRow("three bytes") << QByteArray::fromHex("000400") << false << 0;
    QTest::newRow("empty") << QByteArray() << false << 0;
}

void TestDownloadLogic::acknowledgement()
{
    QFETCH(QByteArray, datagram);
    QFETCH(bool, isAck);
    QFETCH(int, block);
    const Tftp::Ack ack = Tftp::readAck(datagram);
    QCOMPARE(ack.isAck, isAck);
    if (isAck)
        QCOMPARE(int(ack.block), block);
}

void TestDownloadLogic::errorFromTheDevice_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<bool>("isError");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("code and text")
        << QByteArray::fromHex("00050003") + "Disk full" + '\0' << true << 3 << "Disk full";
    QTest::newRow("bytes after the NUL")
        << QByteArray::fromHex("00050001") + "Gone" + '\0' + "xx" << true << 1 << "Gone";
    QTest::newRow("no NUL") << QByteArray::fromHex("00050102") + "Cut" << true << 258 << "Cut";
    QTest::newRow("no text") << QByteArray::fromHex("00050000") << true << 0 << "";
    QTest::newRow("Latin-1 text") << QByteArray::fromHex("00050000e900") << true << 0
                                  << QStringLiteral("\u00e9");
    QTest::newRow("first byte not 0") << QByteArray::fromHex("ff050004") << true << 4 << "";
    QTest::newRow("three bytes") << QByteArray::fromHex("000500") << false << 0 << "";
    QTest::newRow("acknowledgement") << QByteArray::fromHex("00040001") << false << 0 << "";
}

void TestDownloadLogic::errorFromTheDevice()
{
    QFETCH(QByteArray, datagram);
    const Tftp::Error error = Tftp::readError(datagram);
    QTEST(error.isError, "isError");
    QTEST(int(error.code), "code");
    QTEST(error.text, "text");
}
