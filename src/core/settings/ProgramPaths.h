#pragma once

#include <QProcessEnvironment>
#include <QString>

// Where the program finds its files and keeps what the user changes. Decided
// once at start-up; everything else asks these paths and never the mode.
//
// Portable: the executable's folder holds ConfigUtility.ini and may be written.
// Everything (settings, pictures, Firmware/, infobase, error log, data files)
// lives in that folder.
//
// Installed: otherwise. The shipped files are read from share/<program>/ (or
// from the executable's folder when it holds ConfigUtility.ini but is
// read-only); the user's settings file lives in $XDG_CONFIG_HOME/<program>/,
// and the error log, Firmware/, the default data-file folder and the user's
// infobase copies in $XDG_DATA_HOME/<program>/.
struct ProgramPaths {
    enum class Mode { Portable, Installed };

    Mode mode = Mode::Portable;
    QString settingsFile;    // ConfigUtility.ini that is read and written
    QString shippedSettings; // what the user's settings file starts from
    QString graphicsFolder;
    QString firmwareFolder;
    QString errorLog;
    QString dataFileFolder; // default DatabaseFileDir, no trailing separator
    QString shippedFolder;  // read-only shipped files (the infobase)
    QString userFolder;     // the user's own copies of shipped files

    // Everything in one folder, as the build folder and the tests run.
    static ProgramPaths portable(const QString &folder);

    // <graphicsFolder>/<name>, the name trimmed.
    QString picture(const QString &name) const;
    // The user's copy of the infobase when there is one, else the shipped file.
    QString infobaseToRead(const QString &name) const;
    // The user's copy, which the default-file step appends to. When the user
    // has none yet it starts as a copy of the shipped file, so appending keeps
    // the shipped lines as it would in the program folder.
    QString prepareInfobaseCopy(const QString &name) const;
};

// Decides the mode and the paths from the executable's folder, the shipped
// share folder and the environment (XDG_CONFIG_HOME, XDG_DATA_HOME, HOME).
// XDG variables that are unset, empty or relative fall back to ~/.config and
// ~/.local/share. The folder counts as writable when the kernel says so, which
// also holds for root on a read-only file system.
ProgramPaths decideProgramPaths(const QString &executableFolder, const QString &shareFolder,
                                const QProcessEnvironment &environment);

// The paths of this run: the share folder as installed relative to the
// executable's folder, the process's own environment.
ProgramPaths programPathsFor(const QString &executableFolder);

// Installed mode, first thing at start-up: makes the user's folders and, when
// the user has no settings file yet, copies the shipped one. Failures are
// quiet: when the user's settings file cannot be made from the shipped one,
// the shipped one is read instead (and changes are not remembered, as in a read-only program
// folder). Portable mode: nothing to do.
void prepareUserFiles(ProgramPaths &paths);
