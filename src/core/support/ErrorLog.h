#pragma once

#include "core/support/Failure.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// One line of ErrorLog.txt:
// #yyyy-MM-dd hh:mm:ss#,"place",number,"description" CR LF
// At exactly midnight the blank and the time are left out. Quotes inside the
// texts are written as they are; the text is UTF-8, so a path in any script
// stays readable.
QByteArray errorLogLine(const QDateTime &when, const QString &place, const Failure &failure);

// Appends one line to the error log (ErrorLog.txt, ProgramPaths::errorLog),
// creating it when missing.
// Shows nothing; when the log cannot be written it returns quietly so the
// caller can still show its message box.
void LogError(const QString &logFile, const QString &place, const Failure &failure,
              const QDateTime &when = QDateTime::currentDateTime());
