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

// A decimal number with optional surrounding blanks and an optional sign;
// false for anything else, an empty text included.
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

DottedText faulty(DottedText read, DottedText::Fault fault, int number = 0,
                  const QString &part = {})
{
    read.fault = fault;
    read.number = number;
    read.part = part;
    return read;
}

// As the windows check a typed address.
constexpr DottedRules kTypedCheck{.firstMax = 239};

} // namespace

DottedText readDotted(const QString &text, const DottedRules &rules)
{
    using Fault = DottedText::Fault;
    DottedText read;
    read.firstMax = rules.firstMax;
    if (text.trimmed().isEmpty())
        return faulty(read, Fault::Empty);
    QStringList parts = text.split(QLatin1Char('.'));
    if (rules.restInFourth && parts.size() > 4)
        parts = parts.mid(0, 3) << parts.mid(3).join(QLatin1Char('.'));
    read.count = parts.size();
    if (parts.size() == 1)
        return faulty(read, Fault::NoDot);
    if (parts.size() < 4)
        return faulty(read, Fault::TooFew);
    if (parts.size() > 4)
        return faulty(read, Fault::TooMany);
    for (int i = 0; i < 4; ++i) {
        const QString &part = parts[i];
        long long value = 0;
        if (!(rules.blanksAndSigns || plainDigits(part)) || !readSignedDecimal(part, &value))
            return faulty(read, Fault::NotANumber, i + 1, part);
        read.values[i] = value;
        if (value > 255 || (rules.negativeOutOfRange && value < 0))
            return faulty(read, Fault::OutOfRange, i + 1, part);
    }
    for (int i = 0; i < 4; ++i) {
        QString digits = parts[i].trimmed();
        if (rules.refuseNegative && read.values[i] < 0)
            return faulty(read, Fault::Negative, i + 1, parts[i]);
        if (digits.front() == QLatin1Char('+') || digits.front() == QLatin1Char('-'))
            digits.remove(0, 1);
        if (rules.refuseLeadingZeros && digits.size() > 1 && digits.front() == QLatin1Char('0'))
            return faulty(read, Fault::LeadingZeros, i + 1, parts[i]);
    }
    if (read.values[0] > rules.firstMax)
        return faulty(read, Fault::FirstTooLarge, 1, parts[0]);
    return read;
}

quint32 DottedText::address() const
{
    quint32 value = 0;
    for (const long long octet : values)
        value = (value << 8) | quint32(octet);
    return value;
}

QString DottedText::problem() const
{
    const QString which = QString::number(number);
    const QString shown = shownText(part.trimmed(), kShownNumber);
    switch (fault) {
    case Fault::None:
        return {};
    case Fault::Empty:
        return QStringLiteral("empty");
    case Fault::NoDot:
        return QStringLiteral("not four numbers joined by \".\"");
    case Fault::TooFew:
        return QStringLiteral("incomplete: %1 of 4 numbers").arg(count);
    case Fault::TooMany:
        return QStringLiteral("%1 numbers where 4 belong").arg(count);
    case Fault::NotANumber:
        return part.trimmed().isEmpty()
                   ? QStringLiteral("number %1 is missing").arg(which)
                   : QStringLiteral("number %1 (\"%2\") is not a decimal number")
                         .arg(which, shownText(part, kShownNumber));
    case Fault::OutOfRange:
        return values[number - 1] < 0
                   ? QStringLiteral("number %1 (%2) is negative").arg(which, shown)
                   : QStringLiteral("number %1 (%2) is above 255").arg(which, shown);
    case Fault::Negative:
        return QStringLiteral("number %1 (%2) is negative").arg(which, shown);
    case Fault::LeadingZeros:
        return QStringLiteral("number %1 (%2) has leading zeros, which other tools read as "
                              "octal")
            .arg(which, shown);
    case Fault::FirstTooLarge:
        return QStringLiteral("the first number (%1) is above %2").arg(values[0]).arg(firstMax);
    }
    return {};
}

QString invalidAddressReason(const QString &text)
{
    return readDotted(text, kTypedCheck).problem();
}

bool IsValidIPAddress(const QString &text)
{
    return readDotted(text, kTypedCheck).ok();
}

QString notAnAddress(const QString &text, const QString &reason)
{
    return QStringLiteral("\"%1\" is not an IPv4 address: %2").arg(shownText(text), reason);
}

AddressReading readAddress(const QString &text, AddressSpelling spelling)
{
    DottedRules rules;
    rules.blanksAndSigns = spelling == AddressSpelling::Typed;
    rules.refuseNegative = true;
    rules.refuseLeadingZeros = true;
    const DottedText read = readDotted(text, rules);
    if (!read.ok())
        return {std::nullopt, read.problem()};
    return {read.address(), {}};
}

bool IsWrongHardwareAddress(Prompts &prompts, const QString &text)
{
    if (text.size() == 17)
        return false;
    showWrongHardwareAddressMessage(prompts);
    return true;
}
