// The query reply decoder on any datagram: each text has the size and the
// characters its bytes allow, and bytes past offset 29 change nothing.

#include "FuzzSupport.h"
#include "core/device/DeviceProtocol.h"

#include <QStringList>

#include <algorithm>

namespace {

// The version rule worked out on the two hexadecimal digits: the leading run
// of decimal digits of the byte's hexadecimal text, without leading zeros.
int versionValue(quint8 b)
{
    const int high = b >> 4;
    const int low = b & 0x0F;
    if (high == 0)
        return low <= 9 ? low : 0;
    if (high > 9)
        return 0;
    return low <= 9 ? high * 10 + low : high;
}

const QStringList kDeviceTypes{
    QStringLiteral("one port (NV30, Petite, Compact-Rev2)"), QStringLiteral("two port (Q2, Q2R)"),
    QStringLiteral("one port (Railpanel, Compact)"), QStringLiteral("unknown device type")};

QString expectedDeviceType(quint8 b)
{
    switch (b & 0x0F) {
    case 4:
        return kDeviceTypes[0];
    case 2:
        return kDeviceTypes[1];
    case 1:
        return kDeviceTypes[2];
    default:
        return kDeviceTypes[3];
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray reply = inputBytes(data, size);
    const qsizetype n = reply.size();
    const auto byte = [&](int at) { return quint8(reply[at]); };
    const DecodedReply decoded = decodeQueryReply(reply);

    if (n < 8) {
        FUZZ_CHECK(decoded.firmwareVersion.isEmpty());
    } else {
        const QString expected =
            QString::number(versionValue(byte(7))) + '.' + QString::number(versionValue(byte(6)));
        FUZZ_CHECK(decoded.firmwareVersion == expected);
        FUZZ_CHECK(decoded.firmwareVersion.size() >= 3 && decoded.firmwareVersion.size() <= 5);
    }

    const qsizetype typeChars = std::clamp<qsizetype>(n - 8, 0, 2);
    FUZZ_CHECK(decoded.firmwareType.size() == typeChars);
    for (qsizetype i = 0; i < typeChars; ++i)
        FUZZ_CHECK(decoded.firmwareType[i].unicode() == byte(8 + int(i)));

    const qsizetype hardwareBytes = std::clamp<qsizetype>(n - 24, 0, 6);
    FUZZ_CHECK(decoded.hardwareAddress.size() == (hardwareBytes < 6 ? 3 * hardwareBytes : 17));
    for (qsizetype i = 0; i < hardwareBytes; ++i) {
        const QString pair = decoded.hardwareAddress.mid(3 * i, 2);
        FUZZ_CHECK(pair == QString::number(byte(24 + int(i)), 16).rightJustified(2, '0').toUpper());
        if (3 * i + 2 < decoded.hardwareAddress.size())
            FUZZ_CHECK(decoded.hardwareAddress[3 * i + 2] == QLatin1Char('-'));
    }

    FUZZ_CHECK(decoded.deviceType == (n < 28 ? QString() : expectedDeviceType(byte(27))));
    FUZZ_CHECK(decoded.deviceType.isEmpty() || kDeviceTypes.contains(decoded.deviceType));

    if (n > DeviceProtocol::QueryReplySize) {
        const DecodedReply head = decodeQueryReply(reply.left(DeviceProtocol::QueryReplySize));
        FUZZ_CHECK(head.hardwareAddress == decoded.hardwareAddress &&
                   head.firmwareVersion == decoded.firmwareVersion &&
                   head.firmwareType == decoded.firmwareType &&
                   head.deviceType == decoded.deviceType);
    }
    return 0;
}
