#include "core/support/ErrorLog.h"

#include <QFile>
#include <QFileInfo>

QByteArray errorLogLine(const QDateTime &when, const QString &place, const Failure &failure)
{
    const QTime t = when.time();
    const bool midnight = t.hour() == 0 && t.minute() == 0 && t.second() == 0;
    const QString stamp = midnight ? when.toString(QStringLiteral("yyyy-MM-dd"))
                                   : when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QString line = QLatin1Char('#') + stamp + QStringLiteral("#,\"") + place +
                         QStringLiteral("\",") + QString::number(failure.number()) +
                         QStringLiteral(",\"") + failure.description() + QStringLiteral("\"\r\n");
    return line.toUtf8();
}

void LogError(const QString &logFile, const QString &place, const Failure &failure,
              const QDateTime &when)
{
    QFile log(logFile);
    // A FIFO in its place would block the open until a reader shows up.
    const QFileInfo info(log.fileName());
    if ((info.exists() && !info.isFile()) || !log.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    log.write(errorLogLine(when, place, failure));
}
