#pragma once

#include "ScriptedPrompts.h"
#include "core/session/AppContext.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A temporary program folder (removed with the object), scripted prompts and
// short time values, wired into an AppContext. Each test makes its own, so
// nothing carries over from one test to the next.
class TestContext {
public:
    // Writes `ini` as ConfigUtility.ini first when given.
    explicit TestContext(const QByteArray &ini = {});

    AppContext context;
    ScriptedPrompts prompts;

    QString folder() const { return m_dir.path(); }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    void writeFile(const QString &name, const QByteArray &bytes) const;
    QByteArray readFile(const QString &name) const;
    // Reloads the settings record from the folder's ConfigUtility.ini.
    void reloadSettings();

private:
    QTemporaryDir m_dir;
};

// A program folder in which nothing new can be created (the error log, a
// save beside the file), while the files already in it stay writable: the
// folder's write permission is taken away for the object's lifetime. Root
// would write anyway, so for root the calling thread also gives up the
// capability to override permissions until the object goes. usable() says
// whether the folder really is unwritable; tests skip when it is not.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString &path);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;
    bool usable() const { return m_usable; }

private:
    QString m_path;
    bool m_usable = false;
    bool m_droppedOverride = false;
};

// A folder that nothing under it can be written to, not even by root and not
// even in the kernel's own access check (an installed program's share folder):
// in a test program that called usePrivateMounts(), it is bind-mounted
// read-only onto itself for the object's lifetime. Elsewhere it only loses its
// write permission, which root ignores; usable() says whether it worked.
class ReadOnlyMount {
public:
    explicit ReadOnlyMount(const QString &path);
    ~ReadOnlyMount();
    ReadOnlyMount(const ReadOnlyMount &) = delete;
    ReadOnlyMount &operator=(const ReadOnlyMount &) = delete;
    bool usable() const { return m_usable; }

private:
    QString m_path;
    bool m_usable = false;
    bool m_mounted = false;
};

// When run as root, gives the test program a mount namespace of its own, so
// its read-only mounts are seen only by it and its children and vanish with
// it. Call first thing in main, before any thread starts. False when the
// program is not root or may not have one.
bool usePrivateMounts();
