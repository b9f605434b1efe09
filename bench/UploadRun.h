#pragma once

// What the TFTP upload benchmarks share: one upload with this program's
// transfer, timed by the wall clock and by the processor, and the check of
// what the server stored.
#include "core/session/AppContext.h"
#include "core/session/EngineOptions.h"
#include "core/tftp/TftpTransfer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QString>
#include <sys/resource.h>

struct UploadFigures {
    double seconds = -1; // negative: the upload failed
    double cpuSeconds = 0;
};

// User plus system time of this process (RUSAGE_SELF), or of its children
// that have ended (RUSAGE_CHILDREN).
inline double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    const auto seconds = [](const timeval &t) {
        return double(t.tv_sec) + double(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

inline UploadFigures uploadWithTransfer(AppContext &context, const QString &path,
                                        const QString &name)
{
    TftpTransfer transfer(tftpTransferOptions(context));
    QEventLoop loop;
    bool ok = false;
    QObject::connect(&transfer, &TftpTransfer::finished, &loop, [&](const TransferResult &result) {
        ok = result.outcome == TransferResult::Outcome::Succeeded;
        loop.quit();
    });
    const double cpuBefore = cpuSeconds(RUSAGE_SELF);
    QElapsedTimer clock;
    clock.start();
    transfer.start(name, path, QStringLiteral("127.0.0.1"));
    loop.exec();
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    return {ok ? wall : -1, cpuSeconds(RUSAGE_SELF) - cpuBefore};
}

inline bool sameFile(const QString &a, const QString &b)
{
    QFile fa(a), fb(b);
    return fa.open(QIODevice::ReadOnly) && fb.open(QIODevice::ReadOnly) &&
           fa.readAll() == fb.readAll();
}
