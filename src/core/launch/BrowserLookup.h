#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// A program and its leading arguments, started without a shell.
struct ProgramCommand {
    QString program;
    QStringList arguments;
};

// The Exec value of a desktop entry as program and arguments, split the way
// the desktop splits it (key-file escapes, double quotes), without its field
// codes (%u, %F, %i...). Nothing for an empty or malformed value.
std::optional<ProgramCommand> commandOfExecLine(const QString &exec);

// The desktop's web browser: the default application for http links, else
// for HTML files, as the mimeapps.list files (and the older defaults.list) in
// the XDG config and data folders name it; without one, x-www-browser on
// `searchPath` (empty: PATH). Nothing when there is neither.
std::optional<ProgramCommand> findBrowser(const QStringList &searchPath = {});
