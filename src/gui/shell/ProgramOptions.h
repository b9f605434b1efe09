#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QIODevice;

// ConfigUtility's own options: --help and --version. They are answered before
// the window toolkit starts, so both work without a display.
QString windowProgramHelpText();

// `arguments` starts with the program name. When one of the options is given,
// its text is written to `out` and the exit status returned; otherwise nothing
// (the window starts, and the toolkit takes its own options).
std::optional<int> answerProgramOptions(const QStringList &arguments, QIODevice &out);
