// Start-up of `cfgutil --help` against a plain Qt console program that prints
// one line (startup_baseline, built beside it): each is run N times in turn
// (20 unless given), output to /dev/null, and the median wall time of each and
// their ratio are printed. The target is a ratio of at most 2.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QList>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace {

// Wall time of one run in microseconds; -1 when it could not be started or failed.
qint64 runOnce(const QByteArray &program, const QList<QByteArray> &arguments)
{
    QList<char *> argv{const_cast<char *>(program.constData())};
    for (const QByteArray &argument : arguments)
        argv.append(const_cast<char *>(argument.constData()));
    argv.append(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    QElapsedTimer clock;
    clock.start();
    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, program.constData(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return -1;
    return clock.nsecsElapsed() / 1000;
}

double median(QList<qint64> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? double(values[n / 2]) : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

QByteArray besideMe(const char *name, const char *variable)
{
    const QByteArray fromEnvironment = qgetenv(variable);
    return fromEnvironment.isEmpty()
               ? (QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(name))
                     .toLocal8Bit()
               : fromEnvironment;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int runs = arguments.size() > 1 ? qMax(1, arguments.at(1).toInt()) : 20;
    const QByteArray baseline = besideMe("startup_baseline", "CFG_BASELINE");
    const QByteArray cfgutil = besideMe("cfgutil", "CFG_CLI");

    // One run each first, so both start with their libraries in the page cache.
    QList<qint64> plain;
    QList<qint64> help;
    if (runOnce(baseline, {}) < 0 || runOnce(cfgutil, {"--help"}) < 0) {
        std::fprintf(stderr, "cannot run %s or %s --help\n", baseline.constData(),
                     cfgutil.constData());
        return 1;
    }
    // Taken in turn, so that a change in the machine's load touches both alike.
    for (int i = 0; i < runs; ++i) {
        plain.append(runOnce(baseline, {}));
        help.append(runOnce(cfgutil, {"--help"}));
    }
    if (plain.contains(-1) || help.contains(-1)) {
        std::fprintf(stderr, "a run failed\n");
        return 1;
    }
    const double plainMedian = median(plain) / 1000.0;
    const double helpMedian = median(help) / 1000.0;
    const double ratio = helpMedian / plainMedian;
    std::printf("runs                    %d each\n", runs);
    std::printf("plain Qt console        %7.2f ms (median)\n", plainMedian);
    std::printf("cfgutil --help          %7.2f ms (median)\n", helpMedian);
    std::printf("ratio                   %7.2f (target at most 2)\n", ratio);
    return ratio <= 2.0 ? 0 : 2;
}
