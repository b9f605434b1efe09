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

// As the IP-SETUP datagram takes the typed address: the fourth number runs
// to the end of the text, and a negative one is out of range.
constexpr DottedRules kDatagramAddress{.restInFourth = true, .negativeOutOfRange = true};

} // namespace

quint8 HexPairToByte(const QString &text)
{
    if (text.isEmpty())
        return 0;
    return quint8(16 * hexDigitValue(text.front()) + hexDigitValue(text.back()));
}

std::array<quint8, 4> IpTextToBytes(const QString &text)
{
    using Fault = DottedText::Fault;
    const DottedText read = readDotted(text, kDatagramAddress);
    switch (read.fault) {
    case Fault::None:
        return {quint8(read.values[0]), quint8(read.values[1]), quint8(read.values[2]),
                quint8(read.values[3])};
    case Fault::NotANumber:
        throw Failure(
            FailureNumber::TypeMismatch,
            QStringLiteral("Type mismatch: IP address part \"%1\" is not a number").arg(read.part));
    case Fault::OutOfRange:
        throw Failure(FailureNumber::InvalidArgument,
                      QStringLiteral("Invalid argument: IP address part \"%1\" is out of range")
                          .arg(read.part));
    default:
        // Fewer than three "." (a text with more has a fourth number).
        throw Failure(FailureNumber::InvalidArgument,
                      QStringLiteral("Invalid argument: IP address \"%1\" has fewer than four "
                                     "parts")
                          .arg(text));
    }
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
