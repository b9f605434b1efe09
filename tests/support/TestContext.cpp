#include "TestContext.h"

#include <QFile>
#include <QFileInfo>
#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

bool g_privateMounts = false;

// True when a file can be created in the folder (the probe is removed again).
bool canCreateIn(const QString &folder)
{
    QFile probe(folder + QStringLiteral("/.probe"));
    if (!probe.open(QIODevice::WriteOnly))
        return false;
    probe.remove();
    return true;
}

// Root writes into any folder while CAP_DAC_OVERRIDE is in its effective set.
// Taking it out for the calling thread (it stays permitted, so it can come
// back) makes root honour the folder's permissions like any other user.
bool setDacOverride(bool on)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    __user_cap_data_struct &word = data[CAP_TO_INDEX(CAP_DAC_OVERRIDE)];
    const __u32 bit = CAP_TO_MASK(CAP_DAC_OVERRIDE);
    word.effective = on ? word.effective | (word.permitted & bit) : word.effective & ~bit;
    return syscall(SYS_capset, &header, data) == 0;
}

void restoreOwnerPermissions(const QString &path)
{
    QFile::setPermissions(path,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
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
    // A search for "every interface" would broadcast on this host's networks;
    // the loopback cannot broadcast, so such a search sends nothing. Tests
    // that search name their own interface.
    context.everyInterface = {QStringLiteral("lo")};
    context.intervals.splashMs = 50;
    context.intervals.queryTimeoutMs = 400;
    context.intervals.tftpTimeoutMs = 2000;
    context.intervals.pingFirstMs = 200;
    context.intervals.pingSecondMs = 300;
    context.intervals.probeMs = 200;
    context.intervals.confirmPollMs = 50;
    context.intervals.assignConfirmMs = 1000;
    context.intervals.comeBackPollMs = 50;
    context.intervals.comeBackMs = 1000;
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
    if (canCreateIn(path) && geteuid() == 0)
        m_droppedOverride = setDacOverride(false);
    m_usable = !canCreateIn(path);
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    if (m_droppedOverride)
        setDacOverride(true);
    restoreOwnerPermissions(m_path);
}

ReadOnlyMount::ReadOnlyMount(const QString &path) : m_path(path)
{
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    // Root may write anyway: find out instead of assuming.
    if (canCreateIn(path) && g_privateMounts) {
        const QByteArray where = QFile::encodeName(path);
        m_mounted = ::mount(where.constData(), where.constData(), nullptr, MS_BIND, nullptr) == 0;
        if (m_mounted)
            ::mount(nullptr, where.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr);
    }
    m_usable = !canCreateIn(path);
}

ReadOnlyMount::~ReadOnlyMount()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
    restoreOwnerPermissions(m_path);
}
