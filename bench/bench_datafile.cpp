// Times the device data file at scale: loading into the viewer's grid and
// storing one record (replace and append), for growing file sizes.
#include "core/datafile/DataFile.h"
#include "core/datafile/DataFileFormat.h"
#include "core/session/AppContext.h"
#include "core/support/Prompts.h"
#include "gui/datafile/DataFileViewer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// Answers every prompt at once and counts them, so a failure shows up.
class SilentPrompts : public Prompts {
public:
    int shown = 0;
    PromptAnswer message(const QString &, const QString &, PromptIcon, PromptButtons) override
    {
        ++shown;
        return PromptAnswer::Ok;
    }
    std::optional<QString> openFile(const FileDialogRequest &) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialogRequest &) override { return std::nullopt; }
};

DeviceRecord record(int n)
{
    return {{QStringLiteral("10.%1.%2.%3").arg(n >> 16).arg((n >> 8) & 255).arg(n & 255),
             QStringLiteral("02-00-00-04-0B-0C"), QStringLiteral("4.10"), QStringLiteral("X1"),
             QStringLiteral("one port (NV30, Petite, Compact-Rev2)")}};
}

double msSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    SilentPrompts prompts;

    std::printf("%9s %12s %12s %12s %12s\n", "records", "load ms", "replace ms", "append ms",
                "prompts");
    for (const int count : {1000, 10000, 100000}) {
        const QString name = QStringLiteral("devices%1.txt").arg(count);
        const QString path = dir.filePath(name);
        QList<DeviceRecord> records;
        records.reserve(count);
        for (int n = 0; n < count; ++n)
            records << record(n);
        writeAllRecords(path, records);

        AppContext context;
        context.paths = ProgramPaths::portable(dir.path());
        context.prompts = &prompts;
        context.settings.DatabaseFileDir = dir.path() + QLatin1Char('/');
        context.settings.DatabaseFileName = name;

        QElapsedTimer timer;
        timer.start();
        auto *viewer = new DataFileViewer(context);
        const double loadMs = msSince(timer);
        const int loaded = viewer->recordCount();
        delete viewer;

        timer.restart();
        const SaveOutcome replaced = saveDeviceRecord(path, record(count / 2));
        const double replaceMs = msSince(timer);
        timer.restart();
        const SaveOutcome appended = saveDeviceRecord(path, record(count + 1));
        const double appendMs = msSince(timer);

        if (loaded != count || replaced != SaveOutcome::Replaced ||
            appended != SaveOutcome::Appended) {
            std::fprintf(stderr, "unexpected result at %d records\n", count);
            return 1;
        }
        std::printf("%9d %12.1f %12.1f %12.1f %12d\n", count, loadMs, replaceMs, appendMs,
                    prompts.shown);
    }
    return 0;
}
