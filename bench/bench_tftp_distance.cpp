// Uploads to a device some distance away that loses one data block on the
// way: this program's transfer and the tftp-hpa client against the same
// simulated device (devsim, holding each acknowledgement back by the
// distance). Prints blocks per second and processor time per block for each.
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

constexpr int kRuns = 3;
constexpr qint64 kSize = 1024 * 1024 + 123; // 2049 blocks; not a multiple of 512
constexpr quint16 kLostBlock = 1000;
const QString kClient = QStringLiteral("/usr/bin/tftp");

// The client's own retransmission time-out is set to one second, as ours.
UploadFigures uploadWithClient(quint16 port, const QString &path, const QString &name)
{
    QProcess client;
    const double cpuBefore = cpuSeconds(RUSAGE_CHILDREN);
    QElapsedTimer clock;
    clock.start();
    client.start(kClient, {QStringLiteral("127.0.0.1"), QString::number(port)});
    client.write(QStringLiteral("binary\nrexmt 1\ntimeout 10\nput %1 %2\nquit\n")
                     .arg(path, name)
                     .toLocal8Bit());
    client.closeWriteChannel();
    if (!client.waitForFinished(30000) || client.exitCode() != 0)
        return {};
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    const QByteArray said = client.readAll();
    if (said.contains("Error") || said.contains("timed out"))
        return {};
    return {wall, cpuSeconds(RUSAGE_CHILDREN) - cpuBefore};
}

// devsim beside this program, on loopback, delaying each acknowledgement.
class Device {
public:
    bool start(double delayMs, QString *error)
    {
        const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/devsim");
        m_process.start(
            program, {QStringLiteral("--query-port"), QStringLiteral("0"),
                      QStringLiteral("--tftp-port"), QStringLiteral("0"), QStringLiteral("--fault"),
                      QStringLiteral("delay-ack"), QStringLiteral("--ack-delay"),
                      QString::number(delayMs), QStringLiteral("--lose-blocks"),
                      QString::number(kLostBlock), QStringLiteral("--store"), m_store.path(),
                      QStringLiteral("--log"), m_store.filePath(QStringLiteral("devsim.log"))});
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
    QByteArray bytes(kSize, '\0');
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(bytes.data()), kSize / 4);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != kSize)
        return 1;
    file.close();
    const qint64 blocks = kSize / 512 + 1;

    std::printf("%lld blocks, block %u lost once; median of %d runs\n",
                static_cast<long long>(blocks), unsigned(kLostBlock), kRuns);
    std::printf("%-9s %-9s %10s %14s %10s\n", "distance", "sender", "blocks/s", "CPU us/block",
                "seconds");
    bool allGood = true;
    for (const double delayMs : {0.5, 2.0}) {
        Device device;
        QString error;
        if (!device.start(delayMs, &error)) {
            std::printf("error: %s\n", qPrintable(error));
            return 1;
        }
        AppContext context;
        context.ports.tftp = device.port();
        for (const bool ours : {true, false}) {
            const char *label = ours ? "ours" : "tftp-hpa";
            QList<double> wall, cpu;
            for (int run = 0; run < kRuns; ++run) {
                const QString name = QStringLiteral("%1-%2").arg(QLatin1String(label)).arg(run);
                const UploadFigures f = ours ? uploadWithTransfer(context, path, name)
                                             : uploadWithClient(device.port(), path, name);
                if (f.seconds < 0 || !sameFile(path, device.stored(name))) {
                    std::printf("  %s, run %d failed\n", label, run);
                    allGood = false;
                    continue;
                }
                wall << f.seconds;
                cpu << f.cpuSeconds;
            }
            if (wall.isEmpty())
                continue;
            std::printf("%-9s %-9s %10.0f %14.1f %10.3f\n",
                        qPrintable(QStringLiteral("%1 ms").arg(delayMs)), label,
                        blocks / median(wall), median(cpu) / blocks * 1e6, median(wall));
        }
    }
    return allGood ? 0 : 1;
}
