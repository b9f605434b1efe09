#include "core/net/PingReport.h"

namespace {
QString number(qint64 value)
{
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}
} // namespace

namespace PingReport {

QString header(const QString &address, int dataSize)
{
    return QStringLiteral("\n Pinging ") + address + QStringLiteral(" with") + number(dataSize) +
           QStringLiteral(" bytes of data:\n\n");
}

QString replyLine(quint16 sequence, quint16 dataBytes, quint32 roundTripMs)
{
    return QStringLiteral(" Reply received: bytes=") + number(dataBytes) +
           QStringLiteral(", ICMP seq=") + number(sequence) + QStringLiteral(", time=") +
           number(roundTripMs) + QStringLiteral("ms\n");
}

QString timedOutLine()
{
    return QStringLiteral("ICMP Request timed out\n");
}

QString errorPlace(quint16 code, const QString &text)
{
    return QStringLiteral("Ping error ") + QString::number(code) + QLatin1Char('\'') + text +
           QLatin1Char('\'');
}

} // namespace PingReport
