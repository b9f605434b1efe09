#pragma once

#include "core/support/Prompts.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

// A Prompts double: records every prompt and answers from a queue.
// With an empty queue a message gets its first button (OK, Yes) and a file
// dialog is cancelled. An answer may also be a callback run while the
// "modal" prompt is up, for tests that act in the middle of a box.
class ScriptedPrompts : public Prompts {
public:
    struct Shown {
        enum Kind { Message, OpenFile, SaveFile } kind;
        QString title;
        QString text; // message text, or the file dialog's filter
        PromptIcon icon = PromptIcon::None;
        PromptButtons buttons = PromptButtons::Ok;
        FileDialogRequest request;
    };

    void answer(PromptAnswer a) { m_answers.append(a); }
    void choosePath(const QString &path) { m_paths.append(path); }
    void cancelFileDialog() { m_paths.append(std::nullopt); }
    // Runs inside the next prompt of any kind, before it is answered.
    void duringNextPrompt(std::function<void()> action) { m_during.append(std::move(action)); }

    const QList<Shown> &shown() const { return m_shown; }
    QList<Shown> messages() const;
    QStringList messageTexts() const;
    int count() const { return int(m_shown.size()); }
    void clear() { m_shown.clear(); }
    bool allAnswered() const { return m_answers.isEmpty() && m_paths.isEmpty(); }

    PromptAnswer message(const QString &title, const QString &text, PromptIcon icon,
                         PromptButtons buttons) override;
    std::optional<QString> openFile(const FileDialogRequest &request) override;
    std::optional<QString> saveFile(const FileDialogRequest &request) override;

private:
    void runDuring();
    std::optional<QString> nextPath();

    QList<Shown> m_shown;
    QList<PromptAnswer> m_answers;
    QList<std::optional<QString>> m_paths;
    QList<std::function<void()>> m_during;
};
