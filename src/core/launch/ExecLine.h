#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// A program and the arguments that its desktop entry's Exec line gives it,
// started without a shell.
struct ProgramCommand {
    QString program;
    QStringList execArguments; // as the Exec line has them, field codes still in them

    // The arguments that open `target`. It stands where %u, %U, %f or %F
    // stands, inside an argument too ("--url=%u"), and comes last only when
    // the line has none of them; "%%" is a percent sign; the other field codes
    // are dropped, and with them an argument that held nothing else.
    QStringList argumentsFor(const QString &target) const;
};

// The Exec value of a desktop entry as program and arguments, split the way
// the desktop splits it (key-file escapes, double quotes). Nothing for an
// empty or malformed value, or a program word with a field code in it.
std::optional<ProgramCommand> commandOfExecLine(const QString &exec);
