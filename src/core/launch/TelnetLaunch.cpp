#include "core/launch/TelnetLaunch.h"

#include "core/launch/ProgramLauncher.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
constexpr int kAttempts = 3;
} // namespace

QString findTerminal(const QStringList &searchPath)
{
    for (const char *name : {"x-terminal-emulator", "xterm"}) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name), searchPath);
        if (!path.isEmpty())
            return path;
    }
    return {};
}

QString telnetPort(const QString &typed)
{
    const QString port = typed.trimmed();
    return port.isEmpty() ? QStringLiteral("23") : port;
}

TelnetOutcome startTelnet(ProgramLauncher &launcher, TelnetFolders &folders, const QString &address,
                          const QString &port, const QStringList &searchPath)
{
    for (int attempt = 1;; ++attempt) {
        const QString telnet = QDir::cleanPath(folders.current + QStringLiteral("/telnet"));
        const QFileInfo file(telnet);
        if (file.isFile() && file.isExecutable()) {
            const QString terminal = findTerminal(searchPath);
            if (terminal.isEmpty())
                return TelnetOutcome::NoTerminal;
            launcher.startDetached(terminal, {QStringLiteral("-e"), telnet, address, port});
            return TelnetOutcome::Started;
        }
        if (attempt == kAttempts)
            return TelnetOutcome::TelnetNotFound;
        folders.current = folders.current == folders.system ? folders.windows : folders.system;
    }
}
