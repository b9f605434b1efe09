// Commissioning of 50 simulated devices: one devsim plays them in a network
// namespace of this program's own (at .100 to .149 of the veth pair's /24),
// and the cfgutil program commissions them to .10 to .59 from this host,
// without upgrades, with the program's own time values. Prints, per --jobs
// value, the wall time and the rows done (each verified by the query). A
// fresh namespace per run, so every run starts from new devices. Needs root.
#include "NetnsFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int kDevices = 50;

struct Run {
    bool ran = false;
    QString why;
    qint64 wallMs = 0;
    int done = 0;
    int exitCode = -1;
};

QString cfgutilProgram()
{
    const QString fromEnvironment = qEnvironmentVariable("CFG_CLI");
    return fromEnvironment.isEmpty()
               ? QCoreApplication::applicationDirPath() + QStringLiteral("/cfgutil")
               : fromEnvironment;
}

Run commission(int jobs)
{
    Run run;
    NetnsFixture ns;
    if (!ns.setUp(&run.why))
        return run;
    if (!ns.startSimulator(
            {QStringLiteral("--query-port"), QStringLiteral("30718"), QStringLiteral("--devices"),
             QString::number(kDevices), QStringLiteral("--first-address"), ns.address(100),
             QStringLiteral("--hardware-address"), QStringLiteral("02-00-00-50-00-00"),
             QStringLiteral("--log"), QStringLiteral("/dev/null")},
            &run.why))
        return run;
    QTemporaryDir folder;
    QFile plan(folder.filePath(QStringLiteral("plan.csv")));
    if (!plan.open(QIODevice::WriteOnly)) {
        run.why = QStringLiteral("cannot write the plan");
        return run;
    }
    plan.write("hardware_address,ip\n");
    for (int i = 0; i < kDevices; ++i)
        plan.write(QStringLiteral("02-00-00-50-00-%1,%2\n")
                       .arg(i, 2, 16, QLatin1Char('0'))
                       .arg(ns.address(10 + i))
                       .toUpper()
                       .toLatin1());
    plan.close();

    QProcess cfgutil;
    QElapsedTimer clock;
    clock.start();
    cfgutil.start(cfgutilProgram(),
                  {QStringLiteral("--json"), QStringLiteral("commission"), plan.fileName(),
                   QStringLiteral("--jobs"), QString::number(jobs), QStringLiteral("--file"),
                   folder.filePath(QStringLiteral("devices.txt"))});
    if (!cfgutil.waitForFinished(600000)) {
        cfgutil.kill();
        cfgutil.waitForFinished(1000);
        run.why = QStringLiteral("cfgutil did not finish: ") + cfgutil.errorString();
        return run;
    }
    run.wallMs = clock.elapsed();
    run.ran = true;
    run.exitCode = cfgutil.exitCode();
    const QJsonArray rows =
        QJsonDocument::fromJson(cfgutil.readAllStandardOutput()).object()["rows"].toArray();
    for (const QJsonValue &row : rows)
        run.done += row[QStringLiteral("outcome")].toString() == QLatin1String("done") ? 1 : 0;
    return run;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QList<int> jobs;
    for (const QString &argument : QCoreApplication::arguments().mid(1))
        if (argument.toInt() > 0)
            jobs.append(argument.toInt());
    if (jobs.isEmpty())
        jobs = {8, 25};
    std::printf("Commissioning %d simulated devices without upgrades (target: under 30 s, every "
                "row verified)\n",
                kDevices);
    bool met = false;
    for (const int n : std::as_const(jobs)) {
        const Run run = commission(n);
        if (!run.ran) {
            std::printf("bench_commission skipped: %s\n", qPrintable(run.why));
            return 0;
        }
        std::printf("--jobs %3d: %6.1f s wall, %d of %d rows done and verified, exit status %d\n",
                    n, double(run.wallMs) / 1000.0, run.done, kDevices, run.exitCode);
        met = met || (run.wallMs < 30000 && run.done == kDevices);
    }
    std::printf("target met: %s\n", met ? "yes" : "NO");
    return met ? 0 : 1;
}
