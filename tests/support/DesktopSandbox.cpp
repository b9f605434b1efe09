#include "DesktopSandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

DesktopSandbox::DesktopSandbox()
{
    for (const char *folder : {"config", "sysconfig", "data", "sysdata", "bin"})
        QDir(m_dir.path()).mkpath(QString::fromLatin1(folder));
    m_environment.set("XDG_CONFIG_HOME", path(QStringLiteral("config")));
    m_environment.set("XDG_CONFIG_DIRS", path(QStringLiteral("sysconfig")));
    m_environment.set("XDG_DATA_HOME", path(QStringLiteral("data")));
    m_environment.set("XDG_DATA_DIRS", path(QStringLiteral("sysdata")));
    m_environment.set("XDG_CURRENT_DESKTOP", QString());
    m_environment.set("PATH", path(QStringLiteral("bin")));
}

void DesktopSandbox::write(const QString &relative, const QByteArray &bytes) const
{
    const QString file = path(relative);
    QDir().mkpath(QFileInfo(file).path());
    QFile out(file);
    if (out.open(QIODevice::WriteOnly))
        out.write(bytes);
}

QString DesktopSandbox::writeStandIn(const QString &relative, const QByteArray &tail) const
{
    // Shell built-ins only: PATH holds nothing else. A run counts once its
    // "--" is written.
    write(relative, "#!/bin/sh\n"
                    "for a in \"$@\"; do printf '%s\\n' \"$a\"; done >> \"$0.args\"\n"
                    "echo -- >> \"$0.args\"\n" +
                        tail);
    QFile(path(relative))
        .setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return path(relative);
}

QList<QStringList> DesktopSandbox::runsOf(const QString &program)
{
    QFile file(program + QStringLiteral(".args"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QStringList> runs;
    QStringList run;
    for (const QString &line : QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'))) {
        if (line == QLatin1String("--")) {
            runs << run;
            run.clear();
        } else {
            run << line;
        }
    }
    return runs;
}
