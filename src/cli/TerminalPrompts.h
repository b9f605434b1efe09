#pragma once

#include "core/support/Prompts.h"

class CliOutput;

// The prompts seam for a program with no one at it: a message box becomes a
// line on standard error (and an entry of the JSON document); a Yes/No
// question is answered Yes only when --yes said so beforehand, else No; a file
// dialog is cancelled. Commands take the answers the windows would ask for as
// flags before they start an engine.
class TerminalPrompts : public Prompts {
public:
    TerminalPrompts(CliOutput &output, bool answerYes);

    PromptAnswer message(const QString &title, const QString &text, PromptIcon icon,
                         PromptButtons buttons) override;
    std::optional<QString> openFile(const FileDialogRequest &request) override;
    std::optional<QString> saveFile(const FileDialogRequest &request) override;

private:
    CliOutput &m_output;
    bool m_answerYes;
};
