#pragma once

#include <QString>
#include <optional>

// Every modal message box and every Open / Save As dialog of the program goes
// through this interface, so that logic stays free of widgets and tests can
// answer prompts from a script.
enum class PromptIcon { None, Critical, Exclamation, Question, Information };
enum class PromptButtons { Ok, OkCancel, YesNo };
enum class PromptAnswer { Ok, Cancel, Yes, No };

struct FileDialogRequest {
    QString title;
    QString filter;        // "Text Files (*.txt)|*.txt|All Files (*.*)|*.*"
    QString initialFolder; // may be empty
    QString initialName;   // may be empty, or a full path
};

class Prompts {
public:
    virtual ~Prompts() = default;
    virtual PromptAnswer message(const QString &title, const QString &text, PromptIcon icon,
                                 PromptButtons buttons = PromptButtons::Ok) = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> openFile(const FileDialogRequest &request) = 0;
    virtual std::optional<QString> saveFile(const FileDialogRequest &request) = 0;
};
