#include "QueryReplyTest.h"

#include "core/device/DeviceProtocol.h"

#include <QTest>
#include <tuple>

namespace {

// A 30-byte reply with the version, type and hardware-address bytes set.
QByteArray reply(quint8 minor, quint8 major, char type1, char type2, const QByteArray &hardware)
{
    QByteArray bytes(24, '\x55');
    bytes[6] = char(minor);
    bytes[7] = char(major);
    bytes[8] = type1;
    bytes[9] = type2;
    return bytes + hardware;
}

const QByteArray kHardware = QByteArray::fromHex("020000040B0C");

} // namespace

void QueryReplyTest::requestIsFourBytes()
{
    QCOMPARE(queryRequest(), QByteArray::fromHex("000000F6"));
}

void QueryReplyTest::versionNumberRule_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("0x25") << 0x25 << "25";
    QTest::newRow("0x05") << 0x05 << "5";
    QTest::newRow("0x50") << 0x50 << "50";
    QTest::newRow("0x1A") << 0x1A << "1";
    QTest::newRow("0x0A") << 0x0A << "0";
    QTest::newRow("0xE5") << 0xE5 << "0";
    QTest::newRow("0x00") << 0x00 << "0";
    QTest::newRow("0x99") << 0x99 << "99";
}

void QueryReplyTest::versionNumberRule()
{
    QFETCH(int, value);
    QFETCH(QString, text);
    QCOMPARE(versionNumber(quint8(value)), text);
}

void QueryReplyTest::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("hardware");
    QTest::addColumn<QString>("device");

    const QString nv30 = "one port (NV30, Petite, Compact-Rev2)";
    const QString unknown = "unknown device type";
    const QString hw = "02-00-00-04-0B-0C";
    const auto row = [](const char *name, const QByteArray &bytes, const QString &version,
                        const QString &type, const QString &hardware, const QString &device) {
        QTest::newRow(name) << bytes << version << type << hardware << device;
    };
    const auto typed = [](const char *hardware) {
        return reply(1, 1, 'X', '1', QByteArray::fromHex(hardware));
    };
    row("4.10 X1 type 4", reply(0x10, 0x04, 'X', '1', kHardware), "4.10", "X1", hw, nv30);
    row("0.0", reply(0x00, 0x00, 'X', '1', kHardware), "0.0", "X1", hw, nv30);
    row("4.5", reply(0x05, 0x04, 'A', 'B', kHardware), "4.5", "AB", hw, nv30);
    row("4.50", reply(0x50, 0x04, 'A', 'B', kHardware), "4.50", "AB", hw, nv30);
    row("type 0x12", typed("0A0B0C12FFEE"), "1.1", "X1", "0A-0B-0C-12-FF-EE", "two port (Q2, Q2R)");
    row("type 0xF1", typed("000000F10000"), "1.1", "X1", "00-00-00-F1-00-00",
        "one port (Railpanel, Compact)");
    row("type 0x00", typed("000000000000"), "1.1", "X1", "00-00-00-00-00-00", unknown);
    row("type 0x07", typed("000000070000"), "1.1", "X1", "00-00-00-07-00-00", unknown);
    row("Latin-1 type", reply(1, 1, char(0xE9), char(0x00), kHardware), "1.1",
        QString(QChar(0xE9)) + QChar(0), hw, nv30);
    row("4 bytes", QByteArray(4, '\x01'), "", "", "", "");
    row("empty", QByteArray(), "", "", "", "");
    row("7 bytes: minor only", QByteArray(7, '\x04'), "", "", "", "");
    row("9 bytes: half the type", reply(5, 4, 'X', '1', {}).left(9), "4.5", "X", "", "");
    row("27 bytes: no device type", reply(5, 4, 'X', '1', kHardware).left(27), "4.5", "X1",
        "02-00-00-", "");
    row("28 bytes: partial address", reply(5, 4, 'X', '1', kHardware).left(28), "4.5", "X1",
        "02-00-00-04-", nv30);
    row("40 bytes like its first 30", reply(5, 4, 'X', '1', kHardware) + QByteArray(10, '\xFF'),
        "4.5", "X1", hw, nv30);
    row("65535 bytes", reply(5, 4, 'X', '1', kHardware) + QByteArray(65505, '\x12'), "4.5", "X1",
        hw, nv30);
}

void QueryReplyTest::decode()
{
    QFETCH(QByteArray, bytes);
    const DecodedReply identity = decodeQueryReply(bytes);
    QTEST(identity.firmwareVersion, "version");
    QTEST(identity.firmwareType, "type");
    QTEST(identity.hardwareAddress, "hardware");
    QTEST(identity.deviceType, "device");

    // A short reply says how much came and names each text, lacking ones first.
    const QString note = shortReplyText(identity);
    QVERIFY(note.isEmpty() ? bytes.size() >= DeviceProtocol::QueryReplySize
                           : note.contains(QStringLiteral(" %1 of the 30").arg(bytes.size())));
    const QString lacking = note.left(note.indexOf(QLatin1String("Read:")));
    for (const auto &[text, name, whole] :
         {std::tuple{identity.firmwareVersion, "firmware version", 1},
          std::tuple{identity.firmwareType, "firmware type", 2},
          std::tuple{identity.hardwareAddress, "hardware address", 17},
          std::tuple{identity.deviceType, "device type", 1}})
        QVERIFY2(lacking.contains(QLatin1String(name)) == (text.size() < whole) &&
                     (note.isEmpty() || note.contains(QLatin1String(name))),
                 qPrintable(note));
}
