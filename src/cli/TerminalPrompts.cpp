#include "cli/TerminalPrompts.h"

#include "cli/CliOutput.h"

TerminalPrompts::TerminalPrompts(CliOutput &output, bool answerYes)
    : m_output(output), m_answerYes(answerYes)
{
}

PromptAnswer TerminalPrompts::message(const QString &title, const QString &text, PromptIcon,
                                      PromptButtons buttons)
{
    m_output.message(title, text);
    if (buttons == PromptButtons::YesNo)
        return m_answerYes ? PromptAnswer::Yes : PromptAnswer::No;
    return PromptAnswer::Ok;
}

std::optional<QString> TerminalPrompts::openFile(const FileDialogRequest &)
{
    return std::nullopt;
}

std::optional<QString> TerminalPrompts::saveFile(const FileDialogRequest &)
{
    return std::nullopt;
}
