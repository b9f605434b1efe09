#include "ScriptedPrompts.h"

#include <QStringList>

QList<ScriptedPrompts::Shown> ScriptedPrompts::messages() const
{
    QList<Shown> result;
    for (const Shown &s : m_shown)
        if (s.kind == Shown::Message)
            result.append(s);
    return result;
}

QStringList ScriptedPrompts::messageTexts() const
{
    QStringList result;
    for (const Shown &s : messages())
        result << s.text;
    return result;
}

void ScriptedPrompts::runDuring()
{
    if (m_during.isEmpty())
        return;
    auto action = m_during.takeFirst();
    action();
}

PromptAnswer ScriptedPrompts::message(const QString &title, const QString &text, PromptIcon icon,
                                      PromptButtons buttons)
{
    m_shown.append({Shown::Message, title, text, icon, buttons, {}});
    runDuring();
    if (!m_answers.isEmpty())
        return m_answers.takeFirst();
    return buttons == PromptButtons::YesNo ? PromptAnswer::Yes : PromptAnswer::Ok;
}

std::optional<QString> ScriptedPrompts::nextPath()
{
    if (m_paths.isEmpty())
        return std::nullopt;
    return m_paths.takeFirst();
}

std::optional<QString> ScriptedPrompts::openFile(const FileDialogRequest &request)
{
    m_shown.append({Shown::OpenFile, request.title, request.filter, PromptIcon::None,
                    PromptButtons::Ok, request});
    runDuring();
    return nextPath();
}

std::optional<QString> ScriptedPrompts::saveFile(const FileDialogRequest &request)
{
    m_shown.append({Shown::SaveFile, request.title, request.filter, PromptIcon::None,
                    PromptButtons::Ok, request});
    runDuring();
    return nextPath();
}
