// Upload speed on loopback: this program's TFTP transfer against Debian's
// tftp-hpa client, both writing to the same tftpd-hpa server in one run.
// Needs root (the server chroots and changes user) and both packages.
#include "TftpdServer.h"
#include "UploadRun.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

constexpr int kRuns = 3;

// Seconds for one upload with the tftp-hpa client, or a negative value.
double uploadWithClient(quint16 port, const QString &path, const QString &name)
{
    QProcess client;
    QElapsedTimer clock;
    clock.start();
    client.start(QStringLiteral("/usr/bin/tftp"),
                 {QStringLiteral("-m"), QStringLiteral("binary"), QStringLiteral("127.0.0.1"),
                  QString::number(port), QStringLiteral("-c"), QStringLiteral("put"), path, name});
    if (!client.waitForFinished(60000) || client.exitCode() != 0)
        return -1.0;
    return double(clock.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString reason = TftpdServer::unavailableReason();
    if (reason.isEmpty() && !QFileInfo(QStringLiteral("/usr/bin/tftp")).isExecutable())
        reason = QStringLiteral("the tftp-hpa client /usr/bin/tftp is not installed");
    if (!reason.isEmpty()) {
        std::printf("skipped: %s\n", qPrintable(reason));
        return 0;
    }
    TftpdServer server;
    QString error;
    if (!server.start(&error)) {
        std::printf("error: %s\n", qPrintable(error));
        return 1;
    }
    AppContext context;
    context.ports.tftp = server.port();

    QTemporaryDir sources;
    // Sizes in bytes may be given on the command line; the defaults are 1 MiB and 8 MiB.
    QList<qint64> sizes = {1024 * 1024 + 123, 8 * 1024 * 1024 + 123};
    if (argc > 1) {
        sizes.clear();
        for (int i = 1; i < argc; ++i)
            sizes.append(QByteArray(argv[i]).toLongLong());
    }
    bool allGood = true;
    std::printf("%-12s %8s %14s %14s %8s\n", "size", "blocks", "ours blk/s", "tftp-hpa blk/s",
                "ratio");
    for (const qint64 size : sizes) {
        QByteArray bytes(size, '\0');
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
        const QString path = sources.filePath(QStringLiteral("upload-%1.bin").arg(size));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != size)
            return 1;
        file.close();

        const qint64 blocks = size / 512 + 1;
        double ours = 1e9, theirs = 1e9;
        for (int run = 0; run < kRuns; ++run) {
            const QString a = QStringLiteral("ours-%1-%2").arg(size).arg(run);
            const QString b = QStringLiteral("hpa-%1-%2").arg(size).arg(run);
            const double t1 = uploadWithTransfer(context, path, a).seconds;
            const double t2 = uploadWithClient(server.port(), path, b);
            // The server writes the last block after acknowledging it.
            QEventLoop settle;
            QTimer::singleShot(50, &settle, &QEventLoop::quit);
            settle.exec();
            const bool good = t1 > 0 && t2 > 0 && sameFile(path, server.storedPath(a)) &&
                              sameFile(path, server.storedPath(b));
            if (!good) {
                std::printf("run %d of %lld bytes failed (ours %.3f s, client %.3f s)\n", run,
                            static_cast<long long>(size), t1, t2);
                allGood = false;
                continue;
            }
            ours = qMin(ours, t1);
            theirs = qMin(theirs, t2);
        }
        if (ours >= 1e9 || theirs >= 1e9)
            continue;
        std::printf(
            "%-12lld %8lld %14.0f %14.0f %8.2f   (best of %d: ours %.3f s, client %.3f s)\n",
            static_cast<long long>(size), static_cast<long long>(blocks), blocks / ours,
            blocks / theirs, theirs / ours, kRuns, ours, theirs);
        if (ours > 10.0) {
            std::printf("  over the 10-second limit of one transfer\n");
            allGood = false;
        }
    }
    return allGood ? 0 : 1;
}
