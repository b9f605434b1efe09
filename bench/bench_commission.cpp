// Commissioning of simulated devices by the cfgutil program at its default
// settings: 50 and 250 devices without upgrades, and 50 devices that each
// take a 1 MiB firmware upgrade from 0.5 ms away. Per scenario a fresh
// network namespace joined to this host by a veth pair, one devsim there
// playing every device at .3 on of a second /24 of the pair (250 devices and
// their new addresses do not fit in one), and a plan that moves them to .3 on
// of the first. Prints the wall time, the median and 95th percentile of the
// rows' own times (the report's seconds) and the rows done, each verified by
// the query at the new address; exits non-zero when a target is missed.
//
// "0.5 ms away": devsim holds each TFTP acknowledgement back by 0.5 ms
// (--fault delay-ack), since this kernel has no netem queueing discipline.
//
// Needs root. Optional arguments: --jobs values to run every scenario with,
// instead of the default.
#include "DevsimQuiet.h"
#include "NetnsFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

struct Scenario {
    const char *label;
    int devices;
    bool upgrade;
    double targetSeconds;
};

constexpr Scenario kScenarios[] = {
    {"50 devices", 50, false, 5},
    {"250 devices", 250, false, 15},
    {"50 devices + 1 MiB firmware, 0.5 ms away", 50, true, 20},
};

// Not a multiple of 512: the transfer ends a file with its last, short
// block and never sends an empty one, so a whole last block would leave the
// device waiting for the end.
constexpr qint64 kFirmwareSize = 1024 * 1024 + 123;
// devsim's version bytes after the upload, and the version the query then reads.
const QString kUpgradedVersion = QStringLiteral("05.00");
const QString kPlannedVersion = QStringLiteral("5.0");

struct Run {
    bool ran = false;
    QString why;
    qint64 wallMs = 0;
    int done = 0;
    int exitCode = -1;
    QList<double> rowSeconds; // sorted
    QString firstFailure;
};

QString cfgutilProgram()
{
    const QString fromEnvironment = qEnvironmentVariable("CFG_CLI");
    return fromEnvironment.isEmpty()
               ? QCoreApplication::applicationDirPath() + QStringLiteral("/cfgutil")
               : fromEnvironment;
}

// Device i: 02-00-00-50-00-00 plus i, as devsim numbers them.
QString hardwareAddress(int i)
{
    return QStringLiteral("02-00-00-50-%1-%2")
        .arg(i >> 8, 2, 16, QLatin1Char('0'))
        .arg(i & 0xFF, 2, 16, QLatin1Char('0'))
        .toUpper();
}

bool writePlan(const QString &path, const Scenario &scenario, const NetnsFixture &ns,
               const QString &firmware)
{
    QFile plan(path);
    if (!plan.open(QIODevice::WriteOnly))
        return false;
    plan.write("hardware_address,ip,firmware,firmware_version\n");
    for (int i = 0; i < scenario.devices; ++i)
        plan.write(QStringLiteral("%1,%2,%3,%4\n")
                       .arg(hardwareAddress(i), ns.address(3 + i),
                            scenario.upgrade ? firmware : QString(),
                            scenario.upgrade ? kPlannedVersion : QString())
                       .toUtf8());
    return plan.error() == QFileDevice::NoError;
}

bool writeFirmware(const QString &path)
{
    QByteArray bytes(kFirmwareSize, '\0');
    QRandomGenerator(11).fillRange(reinterpret_cast<quint32 *>(bytes.data()), kFirmwareSize / 4);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == kFirmwareSize;
}

Run commission(const Scenario &scenario, int jobs)
{
    Run run;
    NetnsFixture ns;
    if (!ns.setUp(&run.why) || !ns.addSecondSubnet(&run.why))
        return run;
    QStringList device = {QStringLiteral("--query-port"),       QStringLiteral("30718"),
                          QStringLiteral("--tftp-port"),        QStringLiteral("69"),
                          QStringLiteral("--devices"),          QString::number(scenario.devices),
                          QStringLiteral("--first-address"),    ns.secondAddress(3),
                          QStringLiteral("--hardware-address"), hardwareAddress(0)};
    device += devsimQuietArguments(NetnsFixture::simulatorProgram());
    if (scenario.upgrade)
        device += {QStringLiteral("--upgraded-version"),
                   kUpgradedVersion,
                   QStringLiteral("--fault"),
                   QStringLiteral("delay-ack"),
                   QStringLiteral("--ack-delay"),
                   QStringLiteral("0.5")};
    if (!ns.startSimulator(device, &run.why))
        return run;

    QTemporaryDir folder;
    const QString planPath = folder.filePath(QStringLiteral("plan.csv"));
    const QString firmware = folder.filePath(QStringLiteral("firmware.bin"));
    if ((scenario.upgrade && !writeFirmware(firmware)) ||
        !writePlan(planPath, scenario, ns, firmware)) {
        run.why = QStringLiteral("cannot write the plan or the firmware in ") + folder.path();
        return run;
    }

    QStringList arguments = {QStringLiteral("--json"), QStringLiteral("commission"), planPath,
                             QStringLiteral("--file"),
                             folder.filePath(QStringLiteral("devices.txt"))};
    if (jobs > 0)
        arguments += {QStringLiteral("--jobs"), QString::number(jobs)};
    QProcess cfgutil;
    cfgutil.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    cfgutil.start(cfgutilProgram(), arguments);
    if (!cfgutil.waitForFinished(900000)) {
        cfgutil.kill();
        cfgutil.waitForFinished(1000);
        run.why = QStringLiteral("cfgutil did not finish: ") + cfgutil.errorString();
        return run;
    }
    run.wallMs = clock.elapsed();
    run.ran = true;
    run.exitCode = cfgutil.exitCode();
    const QJsonObject result = QJsonDocument::fromJson(cfgutil.readAllStandardOutput()).object();
    for (const QJsonValue &row : result[QStringLiteral("rows")].toArray()) {
        const bool done = row[QStringLiteral("outcome")].toString() == QLatin1String("done");
        run.done += done ? 1 : 0;
        if (row[QStringLiteral("seconds")].isDouble())
            run.rowSeconds.append(row[QStringLiteral("seconds")].toDouble());
        if (!done && run.firstFailure.isEmpty())
            run.firstFailure = row[QStringLiteral("outcome")].toString() + QStringLiteral(": ") +
                               row[QStringLiteral("failure")].toString();
    }
    if (run.firstFailure.isEmpty())
        run.firstFailure = result[QStringLiteral("error")].toString();
    std::sort(run.rowSeconds.begin(), run.rowSeconds.end());
    return run;
}

// Nearest rank of the sorted values; 0 for none.
double percentile(const QList<double> &sorted, double p)
{
    if (sorted.isEmpty())
        return 0;
    const auto rank = qsizetype(std::ceil(p / 100.0 * double(sorted.size())));
    return sorted.at(std::clamp<qsizetype>(rank - 1, 0, sorted.size() - 1));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QList<int> jobsValues;
    for (const QString &argument : QCoreApplication::arguments().mid(1))
        if (argument.toInt() > 0)
            jobsValues.append(argument.toInt());
    if (jobsValues.isEmpty())
        jobsValues = {0}; // cfgutil's default

    std::printf("%-42s %6s %9s %9s %9s %13s %9s  %s\n", "scenario", "--jobs", "wall s", "median s",
                "p95 s", "rows done", "target s", "met");
    bool allMet = true;
    for (const int jobs : std::as_const(jobsValues)) {
        for (const Scenario &scenario : kScenarios) {
            const Run run = commission(scenario, jobs);
            if (!run.ran) {
                std::printf("bench_commission skipped: %s\n", qPrintable(run.why));
                return 0;
            }
            const double wall = double(run.wallMs) / 1000.0;
            const bool met = wall < scenario.targetSeconds && run.done == scenario.devices;
            allMet = allMet && met;
            std::printf("%-42s %6s %9.1f %9.1f %9.1f %6d of %3d   < %5.0f  %s\n", scenario.label,
                        jobs > 0 ? qPrintable(QString::number(jobs)) : "dflt", wall,
                        percentile(run.rowSeconds, 50), percentile(run.rowSeconds, 95), run.done,
                        scenario.devices, scenario.targetSeconds, met ? "yes" : "NO");
            if (!run.firstFailure.isEmpty())
                std::printf("    exit status %d; first row not done: %s\n", run.exitCode,
                            qPrintable(run.firstFailure));
            std::fflush(stdout);
        }
    }
    std::printf("every target met (each row verified): %s\n", allMet ? "yes" : "NO");
    return allMet ? 0 : 1;
}
