#include "DesktopSandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

DesktopSandbox::DesktopSandbox()
{
    const QList<QPair<const char *, const char *>> folders = {{"XDG_CONFIG_HOME", "config"},
                                                              {"XDG_CONFIG_DIRS", "sysconfig"},
                                                              {"XDG_DATA_HOME", "data"},
                                                              {"XDG_DATA_DIRS", "sysdata"},
                                                              {"PATH", "bin"},
                                                              {"XDG_CURRENT_DESKTOP", nullptr}};
    for (const auto &[name, folder] : folders) {
        m_saved.append({name, qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray()});
        const QString value = folder ? path(QString::fromLatin1(folder)) : QString();
        if (folder)
            QDir().mkpath(value);
        qputenv(name, value.toLocal8Bit());
    }
}

DesktopSandbox::~DesktopSandbox()
{
    for (const auto &[name, value] : m_saved) {
        if (value.isNull())
            qunsetenv(name.constData());
        else
            qputenv(name.constData(), value);
    }
}

QString DesktopSandbox::write(const QString &relative, const QByteArray &bytes,
                              bool executable) const
{
    const QString file = path(relative);
    QDir().mkpath(QFileInfo(file).path());
    QFile out(file);
    if (out.open(QIODevice::WriteOnly))
        out.write(bytes);
    if (executable)
        out.setPermissions(out.permissions() | QFileDevice::ExeOwner);
    return file;
}

QString DesktopSandbox::writeStandIn(const QString &relative, const QByteArray &tail) const
{
    // Shell built-ins only: PATH holds nothing else. A run counts once its
    // "--" is written.
    return write(relative,
                 "#!/bin/sh\n"
                 "for a in \"$@\"; do printf '%s\\n' \"$a\"; done >> \"$0.args\"\n"
                 "echo -- >> \"$0.args\"\n" +
                     tail,
                 true);
}

QList<QStringList> DesktopSandbox::runsOf(const QString &program)
{
    QFile file(program + QStringLiteral(".args"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QStringList> runs{{}};
    for (const QString &line : QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'))) {
        if (line == QLatin1String("--"))
            runs.append(QStringList());
        else
            runs.last() << line;
    }
    runs.removeLast(); // the run not finished yet, or the empty one after the last "--"
    return runs;
}
