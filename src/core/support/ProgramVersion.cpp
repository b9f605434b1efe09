#include "core/support/ProgramVersion.h"

QString programVersion()
{
    return QStringLiteral(CFG_PROJECT_VERSION);
}

QString versionLine(const QString &programName)
{
    return programName + QLatin1Char(' ') + programVersion() + QLatin1Char('\n');
}
