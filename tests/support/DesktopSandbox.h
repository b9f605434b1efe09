#pragma once

#include "ScopedEnvironment.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A temporary desktop for tests of outside programs: for the object's
// lifetime the XDG folders point into a temporary folder and PATH is only its
// "bin" folder, so no program or association of the machine is seen.
//
//   config/      XDG_CONFIG_HOME        data/        XDG_DATA_HOME
//   sysconfig/   XDG_CONFIG_DIRS        sysdata/     XDG_DATA_DIRS
//   bin/         PATH
class DesktopSandbox {
public:
    DesktopSandbox();

    QString path(const QString &relative) const { return m_dir.filePath(relative); }
    // Writes a file, making its folders.
    void write(const QString &relative, const QByteArray &bytes) const;

    // Writes an executable stand-in program that records the arguments of each
    // run in <program>.args (one per line, "--" after each run), then runs the
    // shell lines of `tail`. Returns its path.
    QString writeStandIn(const QString &relative, const QByteArray &tail = {}) const;
    // The argument lists of a stand-in's finished runs, oldest first.
    static QList<QStringList> runsOf(const QString &program);

private:
    QTemporaryDir m_dir;
    ScopedEnvironment m_environment;
};
