#include "TestContext.h"

#include <QFile>
#include <QFileInfo>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

TestContext::TestContext(const QByteArray &ini)
{
    context.programFolder = m_dir.path();
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
    context.settings = LoadSettings(m_dir.path());
    LoadSystemDirectories(context.settings);
}

namespace {

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

// True when a file can be created in the folder (the probe is removed again).
bool canCreateIn(const QString &folder)
{
    QFile probe(folder + QStringLiteral("/.probe"));
    if (!probe.open(QIODevice::WriteOnly))
        return false;
    probe.remove();
    return true;
}

} // namespace

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
    QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ExeOwner);
}
