#pragma once

// devsim logs every datagram in hex, which costs it time a benchmark should
// not measure. A devsim that can leave the log out has this flag; an older
// one still formats every line, but writes it nowhere.
#include <QProcess>
#include <QString>
#include <QStringList>

inline const QString kNoDatagramLogFlag = QStringLiteral("--no-datagram-log");

// The devsim arguments that keep its datagram log quietest.
inline QStringList devsimQuietArguments(const QString &program)
{
    QProcess help;
    help.start(program, {QStringLiteral("--help")});
    help.waitForFinished(5000);
    if (help.readAllStandardOutput().contains(kNoDatagramLogFlag.toLatin1()))
        return {kNoDatagramLogFlag};
    return {QStringLiteral("--log"), QStringLiteral("/dev/null")};
}
