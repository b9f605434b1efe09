#include "core/device/AddressText.h"

#include "core/support/AddressChecks.h"
#include "core/support/Failure.h"

namespace {

int hexDigitValue(QChar c)
{
    const char16_t u = c.toUpper().unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return 10 + (u - u'A');
    return 0;
}

quint8 octetValue(const QString &octet)
{
    long long value = 0;
    if (!readSignedDecimal(octet, &value))
        throw Failure(
            FailureNumber::TypeMismatch,
            QStringLiteral("Type mismatch: IP address part \"%1\" is not a number").arg(octet));
    if (value < 0 || value > 255)
        throw Failure(
            FailureNumber::InvalidArgument,
            QStringLiteral("Invalid argument: IP address part \"%1\" is out of range").arg(octet));
    return quint8(value);
}

} // namespace

quint8 HexPairToByte(const QString &text)
{
    if (text.isEmpty())
        return 0;
    return quint8(16 * hexDigitValue(text.front()) + hexDigitValue(text.back()));
}

std::array<quint8, 4> IpTextToBytes(const QString &text)
{
    const qsizetype p1 = text.indexOf(QLatin1Char('.'));
    const qsizetype p2 = p1 < 0 ? -1 : text.indexOf(QLatin1Char('.'), p1 + 1);
    const qsizetype p3 = p2 < 0 ? -1 : text.indexOf(QLatin1Char('.'), p2 + 1);
    if (p3 < 0)
        throw Failure(FailureNumber::InvalidArgument,
                      QStringLiteral("Invalid argument: IP address \"%1\" has fewer than four "
                                     "parts")
                          .arg(text));
    return {octetValue(text.left(p1)), octetValue(text.mid(p1 + 1, p2 - p1 - 1)),
            octetValue(text.mid(p2 + 1, p3 - p2 - 1)), octetValue(text.mid(p3 + 1))};
}

QString BroadcastAddressText(const QString &ipText)
{
    qsizetype dot = -1;
    for (int i = 0; i < 3; ++i) {
        dot = ipText.indexOf(QLatin1Char('.'), dot + 1);
        if (dot < 0)
            break;
    }
    return ipText.left(dot + 1) + QStringLiteral("255");
}

std::array<quint8, 2> HardwareAddressTail(const QString &hardwareText)
{
    return {HexPairToByte(hardwareText.mid(12, 2)), HexPairToByte(hardwareText.mid(15, 2))};
}

QString upperCaseHardwareText(const QString &hardwareText)
{
    QString upper = hardwareText;
    for (QChar &c : upper)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - u'a' + u'A');
    return upper;
}
