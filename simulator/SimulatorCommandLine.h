#pragma once

#include "SimulatorOptions.h"

#include <QString>
#include <QStringList>

// The devsim program's command line.
struct SimulatorCommandLine {
    SimulatorOptions options;
    QString logFile; // empty: standard output
    bool helpRequested = false;
    bool versionRequested = false;
    QString error; // set when the arguments are refused

    static SimulatorCommandLine parse(const QStringList &arguments);
    static QString helpText();
};
