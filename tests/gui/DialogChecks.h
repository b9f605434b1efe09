#pragma once

#include "ScriptedPrompts.h"

#include <QStringList>
#include <QWidget>

// The message boxes shown so far, one "title|icon|text" line each, so that one
// comparison checks how many there were, their kind and their words. Where a
// line of `expected` ends in '*', only as much of the shown text is kept as
// comes before the '*': for texts that end in system detail.
inline QStringList said(const ScriptedPrompts &prompts, const QStringList &expected = {})
{
    static const char *const icons[] = {"None", "Critical", "Exclamation", "Question",
                                        "Information"};
    QStringList lines;
    for (const ScriptedPrompts::Shown &m : prompts.messages()) {
        QString line = m.title + '|' + QLatin1String(icons[int(m.icon)]) + '|' + m.text;
        const QString pattern = expected.value(lines.size());
        if (pattern.endsWith('*') && line.startsWith(pattern.chopped(1)))
            line = pattern;
        lines << line;
    }
    return lines;
}

// What a shared message function shows, as said() writes it.
inline QStringList saidBy(void (*show)(Prompts &))
{
    ScriptedPrompts prompts;
    show(prompts);
    return said(prompts);
}

// The names of the widgets that Tab reaches from `first` on, `count` in all.
inline QStringList tabOrder(QWidget *first, int count)
{
    QStringList names{first->objectName()};
    for (QWidget *w = first; names.size() < count;) {
        w = w->nextInFocusChain();
        if (w->focusPolicy() != Qt::NoFocus)
            names << w->objectName();
    }
    return names;
}
