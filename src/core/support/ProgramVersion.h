#pragma once

#include <QString>

// The project's version as the build gives it ("1.0.0"), for --version.
QString programVersion();

// "cfgutil 1.0.0": what --version prints, with the line's end.
QString versionLine(const QString &programName);
