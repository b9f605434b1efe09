#include "gui/shell/WidgetPrompts.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace {

QMessageBox::Icon boxIcon(PromptIcon icon)
{
    switch (icon) {
    case PromptIcon::Critical:
        return QMessageBox::Critical;
    case PromptIcon::Exclamation:
        return QMessageBox::Warning;
    case PromptIcon::Question:
        return QMessageBox::Question;
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString startPath(const FileDialogRequest &request)
{
    if (request.initialFolder.isEmpty())
        return request.initialName;
    if (request.initialName.isEmpty())
        return request.initialFolder;
    return QDir(request.initialFolder).filePath(request.initialName);
}

std::optional<QString> chosen(const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

} // namespace

QString qtFileFilter(const QString &pipeFilter)
{
    // Pairs of "description|pattern": Qt shows the description, which carries the pattern.
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = QString(parts[i + 1])
                                   .replace(QLatin1Char(';'), QLatin1Char(' '))
                                   .split(QLatin1Char(' '), Qt::SkipEmptyParts);
        // "*.*" means every file, and here many files have no dot in their name.
        for (QString &pattern : patterns)
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        filters << parts[i].section(QLatin1Char('('), 0, 0).trimmed() + QStringLiteral(" (") +
                       patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

PromptAnswer WidgetPrompts::message(const QString &title, const QString &text, PromptIcon icon,
                                    PromptButtons buttons)
{
    QMessageBox box(boxIcon(icon), title,
                    QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
                    QMessageBox::NoButton, QApplication::activeWindow());
    switch (buttons) {
    case PromptButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case PromptButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case PromptButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return PromptAnswer::Yes;
    case QMessageBox::No:
        return PromptAnswer::No;
    case QMessageBox::Cancel:
        return PromptAnswer::Cancel;
    default:
        return PromptAnswer::Ok;
    }
}

std::optional<QString> WidgetPrompts::openFile(const FileDialogRequest &request)
{
    return chosen(QFileDialog::getOpenFileName(QApplication::activeWindow(), request.title,
                                               startPath(request), qtFileFilter(request.filter)));
}

std::optional<QString> WidgetPrompts::saveFile(const FileDialogRequest &request)
{
    // The program itself decides whether to replace or append; no overwrite question.
    return chosen(QFileDialog::getSaveFileName(QApplication::activeWindow(), request.title,
                                               startPath(request), qtFileFilter(request.filter),
                                               nullptr, QFileDialog::DontConfirmOverwrite));
}
