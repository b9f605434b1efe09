#include "core/support/AddressChecks.h"

#include "core/support/SharedMessages.h"

#include <QStringList>

bool readSignedDecimal(const QString &part, long long *value)
{
    const QString t = part.trimmed();
    qsizetype i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        ++i;
    if (i == t.size())
        return false;
    for (qsizetype j = i; j < t.size(); ++j) {
        if (!t[j].isDigit() || t[j].unicode() > 127)
            return false;
    }
    // Long digit runs are clamped: they exceed every bound anyway.
    const QString digits = t.mid(i);
    const bool negative = t.front() == QLatin1Char('-');
    long long v = digits.size() > 15 ? 999999999999999LL : digits.toLongLong();
    *value = negative ? -v : v;
    return true;
}

bool IsValidIPAddress(const QString &text)
{
    if (!text.contains(QLatin1Char('.')))
        return false;
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        long long value = 0;
        if (!readSignedDecimal(parts[i], &value))
            return false;
        if (value > (i == 0 ? 239 : 255))
            return false;
    }
    return true;
}

bool IsWrongHardwareAddress(Prompts &prompts, const QString &text)
{
    if (text.size() == 17)
        return false;
    showWrongHardwareAddressMessage(prompts);
    return true;
}
