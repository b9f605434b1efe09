#include "core/device/DeviceProtocol.h"

#include <QStringList>
#include <utility>

namespace {

constexpr int kMinorOffset = 6;
constexpr int kMajorOffset = 7;
constexpr int kTypeFirst = 8;
constexpr int kTypeSecond = 9;
constexpr int kHardwareFirst = 24;
constexpr int kHardwareLast = 29;
constexpr int kDeviceTypeOffset = 27;

} // namespace

QByteArray queryRequest()
{
    return QByteArray("\x00\x00\x00\xF6", 4);
}

QString versionNumber(quint8 value)
{
    const QString hex = QString::number(value, 16).toUpper();
    int value10 = 0;
    for (const QChar c : hex) {
        if (!c.isDigit())
            break;
        value10 = value10 * 10 + c.digitValue();
    }
    return QString::number(value10);
}

QString deviceTypeText(quint8 value)
{
    switch (value & 0x0F) {
    case 4:
        return QStringLiteral("one port (NV30, Petite, Compact-Rev2)");
    case 2:
        return QStringLiteral("two port (Q2, Q2R)");
    case 1:
        return QStringLiteral("one port (Railpanel, Compact)");
    default:
        return QStringLiteral("unknown device type");
    }
}

DecodedReply decodeQueryReply(const QByteArray &reply)
{
    DecodedReply identity;
    identity.bytesRead = reply.size();
    quint8 minor = 0;
    const qsizetype used = qMin<qsizetype>(reply.size(), kHardwareLast + 1);
    for (qsizetype p = 0; p < used; ++p) {
        const auto b = quint8(reply[p]);
        if (p == kMinorOffset)
            minor = b;
        else if (p == kMajorOffset)
            identity.firmwareVersion += versionNumber(b) + QLatin1Char('.') + versionNumber(minor);
        else if (p == kTypeFirst || p == kTypeSecond)
            identity.firmwareType += QChar::fromLatin1(char(b));
        if (p == kDeviceTypeOffset)
            identity.deviceType = deviceTypeText(b);
        if (p >= kHardwareFirst && p <= kHardwareLast) {
            identity.hardwareAddress +=
                QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
            if (p < kHardwareLast)
                identity.hardwareAddress += QLatin1Char('-');
        }
    }
    return identity;
}

QString shortReplyText(const DecodedReply &reply)
{
    if (reply.bytesRead >= DeviceProtocol::QueryReplySize)
        return {};
    QStringList whole;
    QStringList part;
    QStringList missing;
    const auto sort = [&](const QString &text, qsizetype wholeSize, const char *name) {
        const QString field = QLatin1String(name);
        if (text.isEmpty())
            missing.append(field);
        else if (text.size() < wholeSize)
            part.append(field);
        else
            whole.append(field);
    };
    // Texts whose length is not fixed count as whole once they are there.
    sort(reply.firmwareVersion, 0, "firmware version");
    sort(reply.firmwareType, 2, "firmware type");
    sort(reply.hardwareAddress, 17, "hardware address");
    sort(reply.deviceType, 0, "device type");
    QString text = QStringLiteral("Short reply: %1 of the %2 bytes expected.")
                       .arg(reply.bytesRead)
                       .arg(DeviceProtocol::QueryReplySize);
    // What is lacking first: that is what the reader came for.
    for (const auto &[label, fields] :
         {std::pair{"Missing", &missing}, std::pair{"In part", &part}, std::pair{"Read", &whole}})
        if (!fields->isEmpty())
            text += QStringLiteral(" %1: %2.")
                        .arg(QLatin1String(label), fields->join(QStringLiteral(", ")));
    return text;
}

QByteArray ipSetupDatagram(const std::array<quint8, 2> &hardwareTail,
                           const std::array<quint8, 4> &newAddress)
{
    QByteArray datagram("\x00\x00\x00\xFCIP-SETUP\x00\x00", 14);
    for (quint8 b : hardwareTail)
        datagram.append(char(b));
    for (quint8 b : newAddress)
        datagram.append(char(b));
    return datagram;
}
