// devsim: the simulated device server as a program.
#include "DeviceSimulator.h"
#include "SimulatorCommandLine.h"
#include "core/support/ProgramVersion.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

void writeLine(QFile &out, const QString &line)
{
    out.write(line.toLatin1() + '\n');
    out.flush();
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("devsim"));

    const SimulatorCommandLine line = SimulatorCommandLine::parse(QCoreApplication::arguments());
    if (line.helpRequested) {
        std::fputs(qPrintable(SimulatorCommandLine::helpText()), stdout);
        return 0;
    }
    if (line.versionRequested) {
        std::fputs(qPrintable(versionLine(QStringLiteral("devsim"))), stdout);
        return 0;
    }
    if (!line.error.isEmpty()) {
        std::fprintf(stderr, "devsim: %s\nTry devsim --help.\n", qPrintable(line.error));
        return 2;
    }

    QFile out;
    // A log file is appended to; /dev/null or a pipe cannot be sought to an end.
    const QFileInfo logInfo(line.logFile);
    const QIODevice::OpenMode logMode = logInfo.exists() && !logInfo.isFile()
                                            ? QIODevice::WriteOnly
                                            : QIODevice::WriteOnly | QIODevice::Append;
    const bool opened = line.logFile.isEmpty() ? out.open(stdout, QIODevice::WriteOnly)
                                               : (out.setFileName(line.logFile), out.open(logMode));
    if (!opened) {
        std::fprintf(stderr, "devsim: cannot open the log %s: %s\n", qPrintable(line.logFile),
                     qPrintable(out.errorString()));
        return 1;
    }

    // SIGINT and SIGTERM reach the event loop through a socket pair.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) {
        std::perror("devsim: socketpair");
        return 1;
    }
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&] {
        char byte;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &byte, 1);
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    DeviceSimulator simulator;
    QObject::connect(
        &simulator, &DeviceSimulator::datagramLogged, &app,
        [&out](const LoggedDatagram &entry) { writeLine(out, formatLoggedDatagram(entry)); });
    auto note = [&out](const QString &text) {
        writeLine(out, QDateTime::currentDateTime().toString(Qt::ISODateWithMs) +
                           QStringLiteral(" NOTE ") + text);
    };
    QObject::connect(&simulator, &DeviceSimulator::notice, &app, note);
    QObject::connect(&simulator, &DeviceSimulator::fileStored, &app,
                     [note](const QString &name, qint64 size) {
                         note(QStringLiteral("Stored %1 (%2 bytes)").arg(name).arg(size));
                     });
    QObject::connect(&simulator, &DeviceSimulator::addressInstalled, &app,
                     [note](const QHostAddress &address) {
                         note(QStringLiteral("Address %1 is up").arg(address.toString()));
                     });

    QString error;
    if (!simulator.start(line.options, &error)) {
        std::fprintf(stderr, "devsim: %s\n", qPrintable(error));
        return 1;
    }
    // Wrappers wait for this line to know the ports are open.
    std::printf("devsim ready: query port %u, tftp port %u\n", unsigned(simulator.queryPort()),
                unsigned(simulator.tftpPort()));
    std::fflush(stdout);

    const int code = QCoreApplication::exec();
    note(QStringLiteral("Stopped"));
    return code;
}
