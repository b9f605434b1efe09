// cfgutil: the device tools on the command line, on the same core as the windows.
#include "cli/CfgUtil.h"
#include "core/session/AppContext.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    // A console program has no use for the GLib main loop; Qt's own is
    // lighter per wake-up, and a transfer or a run of many devices is one
    // wake-up per datagram. Whoever sets the variable keeps the choice.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("cfgutil"));
    QFile out;
    QFile err;
    if (!out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        !err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered))
        return 3;

    AppContext context;
    CfgUtil cfgutil(out, err, ::isatty(STDERR_FILENO) == 1);
    QObject::connect(&cfgutil, &CfgUtil::finished, &app, &QCoreApplication::exit);
    // The same settings file and folders as the windows, in either mode.
    cfgutil.run(QCoreApplication::arguments(), context, [](AppContext &started) {
        started.paths = programPathsFor(QCoreApplication::applicationDirPath());
        prepareUserFiles(started.paths);
        started.settings = LoadSettings(started.paths);
    });
    return QCoreApplication::exec();
}
