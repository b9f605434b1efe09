#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A temporary desktop for tests of outside programs: for the object's
// lifetime the XDG folders point into a temporary folder and PATH is only its
// "bin" folder, so no program or association of the machine is seen; the
// destructor puts the environment back.
//
//   config/  XDG_CONFIG_HOME   sysconfig/  XDG_CONFIG_DIRS   bin/  PATH
//   data/    XDG_DATA_HOME     sysdata/    XDG_DATA_DIRS
class DesktopSandbox {
public:
    DesktopSandbox();
    ~DesktopSandbox();
    DesktopSandbox(const DesktopSandbox &) = delete;
    DesktopSandbox &operator=(const DesktopSandbox &) = delete;

    QString path(const QString &relative) const { return m_dir.filePath(relative); }
    // Writes a file, making its folders; `executable` sets the owner's x bit.
    QString write(const QString &relative, const QByteArray &bytes, bool executable = false) const;
    // Writes an executable stand-in program that records the arguments of each
    // run in <program>.args (one per line, "--" after each run), then runs the
    // shell lines of `tail`. Returns its path.
    QString writeStandIn(const QString &relative, const QByteArray &tail = {}) const;
    // The argument lists of a stand-in's finished runs, oldest first.
    static QList<QStringList> runsOf(const QString &program);

private:
    QTemporaryDir m_dir;
    QList<QPair<QByteArray, QByteArray>> m_saved; // name, value before (null: unset)
};
