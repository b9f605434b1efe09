#include "TestContext.h"

#include <QFile>
#include <QFileInfo>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

bool g_privateMounts = false;

bool writable(const QString &folder)
{
    QFile probe(folder + QStringLiteral("/.probe"));
    if (!probe.open(QIODevice::WriteOnly))
        return false;
    probe.remove();
    return true;
}

} // namespace

bool usePrivateMounts()
{
    if (::geteuid() != 0 || ::unshare(CLONE_NEWNS) != 0)
        return false;
    // Without this the mounts would still reach the system's namespace.
    g_privateMounts = ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return g_privateMounts;
}

TestContext::TestContext(const QByteArray &ini)
{
    context.paths = ProgramPaths::portable(m_dir.path());
    if (!ini.isNull())
        writeFile(QStringLiteral("ConfigUtility.ini"), ini);
    reloadSettings();
    context.prompts = &prompts;
    context.intervals.splashMs = 50;
    context.intervals.queryTimeoutMs = 400;
    context.intervals.tftpTimeoutMs = 2000;
    context.intervals.pingFirstMs = 200;
    context.intervals.pingSecondMs = 300;
}

void TestContext::writeFile(const QString &name, const QByteArray &bytes) const
{
    QFile f(path(name));
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

QByteArray TestContext::readFile(const QString &name) const
{
    QFile f(path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TestContext::reloadSettings()
{
    context.settings = LoadSettings(context.paths);
    LoadSystemDirectories(context.settings);
}

ReadOnlyFolder::ReadOnlyFolder(const QString &path) : m_path(path)
{
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    // Root may write anyway: find out instead of assuming.
    if (writable(path) && g_privateMounts) {
        const QByteArray where = QFile::encodeName(path);
        m_mounted = ::mount(where.constData(), where.constData(), nullptr, MS_BIND, nullptr) == 0;
        if (m_mounted)
            ::mount(nullptr, where.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr);
    }
    m_usable = !writable(path);
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
    QFile::setPermissions(m_path,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}
