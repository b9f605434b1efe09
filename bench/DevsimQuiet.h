#pragma once

// devsim logs every datagram in hex, which costs it time a benchmark should
// not measure. A devsim that can leave the log out has this flag; an older
// one still formats every line, but writes it nowhere.
#include <QProcess>
#include <QString>
#include <QStringList>

inline const QString kNoDatagramLogFlag = QStringLiteral("--no-datagram-log");

// The devsim arguments that keep its log quietest. Its notices go to a file
// too: a benchmark that waits on another process reads no pipe meanwhile,
// and a full pipe would stop devsim in the middle of a run.
inline QStringList devsimQuietArguments(const QString &program)
{
    QProcess help;
    help.start(program, {QStringLiteral("--help")});
    help.waitForFinished(5000);
    if (help.readAllStandardOutput().contains(kNoDatagramLogFlag.toLatin1()))
        return {kNoDatagramLogFlag, QStringLiteral("--log"), QStringLiteral("/dev/null")};
    return {QStringLiteral("--log"), QStringLiteral("/dev/null")};
}
