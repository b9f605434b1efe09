#include "cli/CommandDeclaration.h"

QString OptionDeclaration::synopsis() const
{
    QString text = QLatin1Char('[') + names.first();
    if (takesValue())
        text += QLatin1Char(' ') + valueName;
    text += QLatin1Char(']');
    return repeatable ? text + QStringLiteral("...") : text;
}

const OptionDeclaration *CommandDeclaration::option(const QString &optionName) const
{
    for (const OptionDeclaration &declared : options)
        if (declared.names.contains(optionName))
            return &declared;
    return nullptr;
}

QStringList CommandDeclaration::synopsisParts() const
{
    QStringList parts = QStringList{name} + operands;
    for (const OptionDeclaration &declared : options)
        if (declared.inSynopsis)
            parts.append(declared.synopsis());
    return parts;
}

namespace OptionValues {

QString readSeconds(const QString &option, const QString &text, std::optional<int> &milliseconds)
{
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    if (!ok || !(seconds > 0) || seconds > 3600)
        return QStringLiteral("%1 needs seconds above 0, at most 3600, not \"%2\"")
            .arg(option, text);
    milliseconds = qMax(1, int(seconds * 1000));
    return {};
}

QString readCount(const QString &option, const QString &text, int lowest, int highest, int &count)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < lowest || value > highest)
        return QStringLiteral("%1 needs a count from %2 to %3, not \"%4\"")
            .arg(option)
            .arg(lowest)
            .arg(highest)
            .arg(text);
    count = value;
    return {};
}

QString readNames(const QString &option, const QString &text, const QString &what,
                  QStringList &names)
{
    // Trimmed before empty names are dropped: " , " names none.
    qsizetype named = 0;
    for (const QString &name : text.split(QLatin1Char(','))) {
        if (const QString trimmed = name.trimmed(); !trimmed.isEmpty()) {
            names.append(trimmed);
            ++named;
        }
    }
    if (named == 0)
        return QStringLiteral("%1 needs %2, not \"%3\"").arg(option, what, text);
    return {};
}

} // namespace OptionValues
