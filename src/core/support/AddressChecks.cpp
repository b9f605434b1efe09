#include "core/support/AddressChecks.h"

#include "core/support/SharedMessages.h"
#include "core/support/ShownText.h"

#include <QList>
#include <QStringList>

#include <algorithm>

namespace {

// A number quoted in a reason: a few characters are enough to find it.
constexpr qsizetype kShownNumber = 24;

bool plainDigits(const QString &part)
{
    return !part.isEmpty() &&
           std::all_of(part.begin(), part.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// Four parts, each a number 0..255 as `spelling` allows; their values go to
// `values`.
QString shapeProblem(const QString &text, AddressSpelling spelling, QList<long long> *values)
{
    if (text.trimmed().isEmpty())
        return QStringLiteral("empty");
    if (!text.contains(QLatin1Char('.')))
        return QStringLiteral("not four numbers joined by \".\"");
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() < 4)
        return QStringLiteral("incomplete: %1 of 4 numbers").arg(parts.size());
    if (parts.size() > 4)
        return QStringLiteral("%1 numbers where 4 belong").arg(parts.size());
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString &part = parts[i];
        const QString which = QString::number(i + 1);
        long long value = 0;
        const bool number = (spelling == AddressSpelling::Typed || plainDigits(part)) &&
                            readSignedDecimal(part, &value);
        if (!number)
            return part.trimmed().isEmpty()
                       ? QStringLiteral("number %1 is missing").arg(which)
                       : QStringLiteral("number %1 (\"%2\") is not a decimal number")
                             .arg(which, shownText(part, kShownNumber));
        if (value > 255)
            return QStringLiteral("number %1 (%2) is above 255")
                .arg(which, shownText(part.trimmed(), kShownNumber));
        values->append(value);
    }
    return {};
}

} // namespace

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
    // Leading zeros change nothing, however many there are; beyond them a
    // long run exceeds every bound anyway and saturates.
    qsizetype first = i;
    while (first + 1 < t.size() && t[first] == QLatin1Char('0'))
        ++first;
    const QStringView digits = QStringView(t).mid(first);
    const long long v = digits.size() > 15 ? 999999999999999LL : digits.toLongLong();
    *value = t.front() == QLatin1Char('-') ? -v : v;
    return true;
}

QString invalidAddressReason(const QString &text)
{
    QList<long long> values;
    const QString why = shapeProblem(text, AddressSpelling::Typed, &values);
    if (why.isEmpty() && values.first() > 239)
        return QStringLiteral("the first number (%1) is above 239").arg(values.first());
    return why;
}

bool IsValidIPAddress(const QString &text)
{
    return invalidAddressReason(text).isEmpty();
}

QString notAnAddress(const QString &text, const QString &reason)
{
    return QStringLiteral("\"%1\" is not an IPv4 address: %2").arg(shownText(text), reason);
}

AddressReading readAddress(const QString &text, AddressSpelling spelling)
{
    QList<long long> values;
    if (const QString why = shapeProblem(text, spelling, &values); !why.isEmpty())
        return {std::nullopt, why};
    const QStringList parts = text.split(QLatin1Char('.'));
    quint32 address = 0;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        QString digits = parts[i].trimmed();
        const QString which = QString::number(i + 1);
        const QString shown = shownText(digits, kShownNumber);
        if (values[i] < 0)
            return {std::nullopt, QStringLiteral("number %1 (%2) is negative").arg(which, shown)};
        if (digits.front() == QLatin1Char('+') || digits.front() == QLatin1Char('-'))
            digits.remove(0, 1);
        if (digits.size() > 1 && digits.front() == QLatin1Char('0'))
            return {std::nullopt,
                    QStringLiteral("number %1 (%2) has leading zeros, which other tools read as "
                                   "octal")
                        .arg(which, shown)};
        address = (address << 8) | quint32(values[i]);
    }
    return {address, {}};
}

bool IsWrongHardwareAddress(Prompts &prompts, const QString &text)
{
    if (text.size() == 17)
        return false;
    showWrongHardwareAddressMessage(prompts);
    return true;
}
