#include "cli/ManualPage.h"

#include "cli/CommandDeclaration.h"
#include "cli/CommandHelp.h"
#include "cli/CommandLine.h"
#include "cli/CommandRegistry.h"
#include "core/support/ProgramVersion.h"

#include <QStringList>

namespace {

// A name that is typed (a command, an option, a synopsis): every hyphen is a
// minus sign.
QString typed(const QString &name)
{
    QString text = roffText(name);
    text.replace(QStringLiteral("\\-"), QStringLiteral("-"));
    return text.replace(QLatin1Char('-'), QStringLiteral("\\-"));
}

QString bold(const QString &name)
{
    return QStringLiteral("\\fB") + typed(name) + QStringLiteral("\\fR");
}

// Lines of help as roff text lines; roff fills them into a paragraph.
QString paragraph(const QString &lines)
{
    QStringList out;
    for (const QString &line : lines.split(QLatin1Char('\n')))
        out.append(roffText(line.trimmed()));
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

// "-c, --count N" with the names bold and the value italic.
QString optionTag(const QStringList &names, const QString &valueName)
{
    QStringList shown;
    for (const QString &name : names)
        shown.append(bold(name));
    QString tag = shown.join(QStringLiteral(", "));
    if (!valueName.isEmpty())
        tag += QStringLiteral(" \\fI") + typed(valueName) + QStringLiteral("\\fR");
    return tag;
}

QString commandsSection()
{
    QString text;
    for (const CommandDeclaration &command : registeredCommands()) {
        QStringList parts = command.synopsisParts();
        parts.removeFirst();
        QStringList rest;
        for (const QString &part : parts)
            rest.append(typed(part));
        text += QStringLiteral(".SS %1\n%2 %3\n.PP\n")
                    .arg(typed(command.name), bold(QStringLiteral("cfgutil ") + command.name),
                         rest.join(QLatin1Char(' ')));
        text += paragraph(command.summary);
        for (const OptionDeclaration &option : command.options)
            text += QStringLiteral(".TP\n%1\n%2")
                        .arg(optionTag(option.names, option.valueName), paragraph(option.help));
    }
    return text;
}

QString commonOptionsSection()
{
    QString text;
    for (const GlobalOption &option : globalOptions())
        text +=
            QStringLiteral(".TP\n%1\n%2").arg(optionTag(option.names, {}), paragraph(option.help));
    return text;
}

QString exitStatusSection()
{
    QString text;
    for (const ExitStatusMeaning &status : exitStatusMeanings())
        text += QStringLiteral(".TP\n.B %1\n%2").arg(status.code).arg(paragraph(status.meaning));
    return text;
}

} // namespace

QString roffText(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const QChar before = i > 0 ? text.at(i - 1) : QChar(u' ');
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\e");
        else if (c == QLatin1Char('-') &&
                 (before.isSpace() || before == QLatin1Char('-') || before == QLatin1Char('(') ||
                  before == QLatin1Char('[')))
            out += QStringLiteral("\\-");
        else
            out += c;
    }
    if (out.startsWith(QLatin1Char('.')) || out.startsWith(QLatin1Char('\'')))
        out.prepend(QStringLiteral("\\&"));
    return out;
}

QString manualPage(const QString &page)
{
    const QList<std::pair<QString, QString>> sections = {
        {QStringLiteral("@COMMANDS@"), commandsSection()},
        {QStringLiteral("@COMMON_OPTIONS@"), commonOptionsSection()},
        {QStringLiteral("@EXIT_STATUS@"), exitStatusSection()},
    };
    QStringList lines;
    for (const QString &line : page.split(QLatin1Char('\n'))) {
        QString filled = line;
        for (const auto &[marker, section] : sections)
            if (line.trimmed() == marker)
                filled = section.chopped(1);
        lines.append(filled);
    }
    return lines.join(QLatin1Char('\n')).replace(QStringLiteral("@VERSION@"), programVersion());
}
