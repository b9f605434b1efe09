#include "TestContext.h"

#include <QFile>
#include <QFileInfo>
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

ReadOnlyFolder::ReadOnlyFolder(const QString &path) : m_path(path)
{
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    // Root may write anyway: find out instead of assuming.
    QFile probe(path + QStringLiteral("/.probe"));
    m_usable = !probe.open(QIODevice::WriteOnly);
    if (!m_usable)
        probe.remove();
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ExeOwner);
}
