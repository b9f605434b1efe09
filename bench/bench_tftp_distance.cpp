// Uploads of 1 MiB to a device 0, 0.5 and 2 ms away: this program's
// transfer and the tftp-hpa client against the same simulated device
// (devsim beside this program, holding each acknowledgement back by the
// distance, its datagram log off). Prints blocks per second, processor time
// per block (user plus system) and, for ours, heap allocations per block,
// and the ratio of the processor times, ours / tftp-hpa, at each distance.
//
// Both are measured the same way: each sender is a process of its own (ours
// is tftp_sender, the transfer of this program in a plain console program),
// its processor time read when it has ended, and its cost of a transfer of a
// single block (its start-up, its socket and event loop) measured and taken
// off its whole transfer; what is left, divided by the blocks after the
// first, is what each further block costs. Our sender also counts its heap
// allocations. No block is lost: a lost
// block costs each sender about a second of waiting and almost no processor
// time, so it would only lengthen the runs and blur blocks per second.
#include "DevsimQuiet.h"
#include "UploadRun.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int kRuns = 5;                    // of each whole transfer; the median counts
constexpr int kShortRuns = 5;               // of each one-block transfer
constexpr qint64 kSize = 1024 * 1024 + 123; // 2049 blocks; not a multiple of 512
constexpr qint64 kShortSize = 100;          // one block
const QString kClient = QStringLiteral("/usr/bin/tftp");

struct ProcessFigures {
    UploadFigures upload;
    double allocations = -1; // counted by our sender; negative when not counted
};

// Runs a sender to its end; `input` goes to its standard input.
ProcessFigures runSender(const QString &program, const QStringList &arguments,
                         const QByteArray &input)
{
    QProcess sender;
    const double cpuBefore = cpuSeconds(RUSAGE_CHILDREN);
    QElapsedTimer clock;
    clock.start();
    sender.start(program, arguments);
    sender.write(input);
    sender.closeWriteChannel();
    if (!sender.waitForFinished(30000) || sender.exitStatus() != QProcess::NormalExit ||
        sender.exitCode() != 0)
        return {};
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    const QByteArray said = sender.readAll();
    if (said.contains("Error") || said.contains("timed out"))
        return {};
    bool counted = false;
    const double allocations = said.trimmed().toDouble(&counted);
    return {{wall, cpuSeconds(RUSAGE_CHILDREN) - cpuBefore}, counted ? allocations : -1};
}

// The client's own retransmission time-out is set to one second, as ours.
ProcessFigures uploadWithClient(quint16 port, const QString &path, const QString &name)
{
    return runSender(kClient, {QStringLiteral("127.0.0.1"), QString::number(port)},
                     QStringLiteral("binary\nrexmt 1\ntimeout 10\nput %1 %2\nquit\n")
                         .arg(path, name)
                         .toLocal8Bit());
}

ProcessFigures uploadWithOurs(quint16 port, const QString &path, const QString &name)
{
    return runSender(QCoreApplication::applicationDirPath() + QStringLiteral("/tftp_sender"),
                     {QString::number(port), path, name}, {});
}

// devsim beside this program, on loopback, delaying each acknowledgement.
class Device {
public:
    bool start(double delayMs, QString *error)
    {
        const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/devsim");
        QStringList arguments = {QStringLiteral("--query-port"), QStringLiteral("0"),
                                 QStringLiteral("--tftp-port"),  QStringLiteral("0"),
                                 QStringLiteral("--store"),      m_store.path()};
        if (delayMs > 0)
            arguments += {QStringLiteral("--fault"), QStringLiteral("delay-ack"),
                          QStringLiteral("--ack-delay"), QString::number(delayMs)};
        m_process.start(program, arguments + devsimQuietArguments(program));
        if (!m_process.waitForReadyRead(5000)) {
            *error = QStringLiteral("devsim did not start: ") + m_process.errorString() +
                     QString::fromLocal8Bit(m_process.readAllStandardError());
            return false;
        }
        const auto match = QRegularExpression(QStringLiteral("tftp port (\\d+)"))
                               .match(QString::fromLatin1(m_process.readLine()));
        m_port = quint16(match.captured(1).toUInt());
        if (m_port == 0)
            *error = QStringLiteral("devsim did not say its port");
        return m_port != 0;
    }
    ~Device()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(3000);
    }
    quint16 port() const { return m_port; }
    QString stored(const QString &name) const { return m_store.filePath(name); }

private:
    QProcess m_process;
    QTemporaryDir m_store;
    quint16 m_port = 0;
};

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

bool writeRandomFile(const QString &path, qint64 size)
{
    QByteArray bytes(size, '\0');
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == size;
}

// Medians over the runs of one sender and one file.
struct Medians {
    double seconds = 0;
    double cpuSeconds = 0;
    double allocations = 0; // ours only
    bool ok = true;
};

class Sender {
public:
    Sender(bool ours, const Device &device) : m_ours(ours), m_device(device) {}
    const char *label() const { return m_ours ? "ours" : "tftp-hpa"; }

    Medians measure(const QString &path, int runs)
    {
        QList<double> wall, cpu, allocations;
        for (int run = 0; run < runs; ++run) {
            const QString name =
                QStringLiteral("%1-%2").arg(QLatin1String(label())).arg(++m_serial);
            const ProcessFigures p = m_ours ? uploadWithOurs(m_device.port(), path, name)
                                            : uploadWithClient(m_device.port(), path, name);
            const UploadFigures &f = p.upload;
            if (f.seconds < 0 || !sameFile(path, m_device.stored(name))) {
                std::printf("  %s, upload %s failed\n", label(), qPrintable(name));
                continue;
            }
            wall << f.seconds;
            cpu << f.cpuSeconds;
            allocations << p.allocations;
        }
        if (wall.isEmpty())
            return {0, 0, 0, false};
        return {median(wall), median(cpu), median(allocations), wall.size() == runs};
    }

private:
    bool m_ours;
    const Device &m_device;
    int m_serial = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (!QFileInfo(kClient).isExecutable()) {
        std::printf("skipped: the tftp-hpa client %s is not installed\n", qPrintable(kClient));
        return 0;
    }
    QTemporaryDir sources;
    const QString path = sources.filePath(QStringLiteral("upload.bin"));
    const QString shortPath = sources.filePath(QStringLiteral("one-block.bin"));
    if (!writeRandomFile(path, kSize) || !writeRandomFile(shortPath, kShortSize))
        return 1;
    const qint64 blocks = kSize / 512 + 1;

    std::printf("%lld blocks; median of %d uploads; CPU and allocations per block after the "
                "first, the cost of a one-block upload (median of %d) taken off\n",
                static_cast<long long>(blocks), kRuns, kShortRuns);
    std::printf("%-9s %-9s %10s %14s %14s %10s\n", "distance", "sender", "blocks/s", "CPU us/block",
                "allocs/block", "seconds");
    bool allGood = true;
    QList<QString> ratios;
    for (const double delayMs : {0.0, 0.5, 2.0}) {
        Device device;
        QString error;
        if (!device.start(delayMs, &error)) {
            std::printf("error: %s\n", qPrintable(error));
            return 1;
        }
        const QString distance = QStringLiteral("%1 ms").arg(delayMs);
        double cpuPerBlock[2] = {0, 0};
        for (const bool ours : {true, false}) {
            Sender sender(ours, device);
            const Medians whole = sender.measure(path, kRuns);
            const Medians one = sender.measure(shortPath, kShortRuns);
            allGood = allGood && whole.ok && one.ok;
            if (!whole.ok || !one.ok)
                continue;
            const double perBlock = (whole.cpuSeconds - one.cpuSeconds) / double(blocks - 1);
            cpuPerBlock[ours ? 0 : 1] = perBlock;
            const QString allocations =
                !ours ? QStringLiteral("-")
                : whole.allocations < 0 || one.allocations < 0
                    ? QStringLiteral("n/a")
                    : QString::number((whole.allocations - one.allocations) / double(blocks - 1),
                                      'f', 2);
            std::printf("%-9s %-9s %10.0f %14.1f %14s %10.3f\n", qPrintable(distance),
                        sender.label(), double(blocks) / whole.seconds, perBlock * 1e6,
                        qPrintable(allocations), whole.seconds);
            std::fflush(stdout);
        }
        if (cpuPerBlock[0] > 0 && cpuPerBlock[1] > 0) {
            const double ratio = cpuPerBlock[0] / cpuPerBlock[1];
            allGood = allGood && ratio <= 1.0;
            ratios << QStringLiteral("%1 %2").arg(distance).arg(ratio, 0, 'f', 2);
        } else {
            allGood = false; // a sender failed, or the run was too noisy to tell
            ratios << distance + QStringLiteral(" n/a");
        }
    }
    std::printf("CPU per block, ours / tftp-hpa (target <= 1.0 at every distance): %s\n",
                qPrintable(ratios.join(QStringLiteral(", "))));
    std::printf("target met: %s\n", allGood ? "yes" : "NO");
    return allGood ? 0 : 1;
}
