#pragma once

#include "core/support/Prompts.h"

class QWidget;

// Production prompts: QMessageBox and QFileDialog, modal.
class WidgetPrompts : public Prompts {
public:
    PromptAnswer message(const QString &title, const QString &text, PromptIcon icon,
                         PromptButtons buttons) override;
    std::optional<QString> openFile(const FileDialogRequest &request) override;
    std::optional<QString> saveFile(const FileDialogRequest &request) override;
};

// "Text Files (*.txt)|*.txt|All Files (*.*)|*.*" -> "Text Files (*.txt);;All Files (*)":
// "*.*" becomes "*" so that files without a dot in their name are offered too.
QString qtFileFilter(const QString &pipeFilter);
