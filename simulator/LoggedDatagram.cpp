#include "LoggedDatagram.h"

QString formatLoggedDatagram(const LoggedDatagram &entry)
{
    const QString peer = entry.peer.toString() + QLatin1Char(':') + QString::number(entry.peerPort);
    const QString local = QStringLiteral("port ") + QString::number(entry.localPort);
    const QString device =
        entry.device.isEmpty() ? QString() : QStringLiteral(" [") + entry.device + QLatin1Char(']');
    return entry.when.toString(Qt::ISODateWithMs) + device +
           (entry.sent ? QStringLiteral(" SEND ") + local + QStringLiteral(" -> ") + peer
                       : QStringLiteral(" RECV ") + peer + QStringLiteral(" -> ") + local) +
           QStringLiteral(" (") + QString::number(entry.bytes.size()) + QStringLiteral(" bytes) ") +
           QString::fromLatin1(entry.bytes.toHex(' ').toUpper());
}
