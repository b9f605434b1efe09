#include "core/launch/ExecLine.h"

namespace {

bool opensTarget(QChar code)
{
    return QStringLiteral("uUfF").contains(code);
}

// `word` with its field codes expanded: `target` for the codes that open one
// (none when `target` is null), a percent sign for "%%", nothing for the
// others. Nothing at all when the word was only codes that expand to nothing.
std::optional<QString> expanded(const QString &word, const QString *target)
{
    QString out;
    bool hadCode = false;
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (word[i] != QLatin1Char('%') || i + 1 == word.size()) {
            out += word[i];
        } else if (const QChar code = word[++i]; code == QLatin1Char('%')) {
            out += QLatin1Char('%');
        } else {
            hadCode = true;
            if (target && opensTarget(code))
                out += *target;
        }
    }
    if (hadCode && out.isEmpty())
        return std::nullopt;
    return out;
}

// Whether `word` holds a field code that `wanted` takes ("%%" is none).
bool hasCode(const QString &word, bool (*wanted)(QChar))
{
    for (qsizetype i = 0; i + 1 < word.size(); ++i)
        if (word[i] == QLatin1Char('%') && word[++i] != QLatin1Char('%') && wanted(word[i]))
            return true;
    return false;
}

// The key-file string escapes: \s \n \t \r \\.
QString unescapeValue(const QString &value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar next = value[++i];
        const qsizetype escape = QStringLiteral("sntr\\").indexOf(next);
        if (escape < 0)
            out += QString(c) + next;
        else
            out += QStringLiteral(" \n\t\r\\")[escape];
    }
    return out;
}

} // namespace

QStringList ProgramCommand::argumentsFor(const QString &target) const
{
    QStringList arguments;
    bool placed = false;
    for (const QString &word : execArguments) {
        placed = placed || hasCode(word, opensTarget);
        if (const auto done = expanded(word, &target))
            arguments << *done;
    }
    if (!placed)
        arguments << target;
    return arguments;
}

std::optional<ProgramCommand> commandOfExecLine(const QString &exec)
{
    const QString value = unescapeValue(exec);
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (quoted) {
            if (c == QLatin1Char('"'))
                quoted = false;
            else if (c == QLatin1Char('\\') && i + 1 < value.size() &&
                     QStringLiteral("\"`$\\").contains(value[i + 1]))
                word += value[++i];
            else
                word += c;
        } else if (c == QLatin1Char('"')) {
            quoted = inWord = true;
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (inWord)
        words << word;
    if (words.isEmpty())
        return std::nullopt;

    // The program is a path as written: a field code in it (the address as
    // the program, say) makes the line unusable.
    const QString program = words.takeFirst();
    if (hasCode(program, [](QChar) { return true; }))
        return std::nullopt;
    const QString path = expanded(program, nullptr).value_or(QString());
    if (path.isEmpty())
        return std::nullopt;
    return ProgramCommand{path, words};
}
