#include "core/launch/ProgramLauncher.h"

#include "core/support/Failure.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

class DetachedLauncher : public ProgramLauncher {
public:
    void startDetached(const QString &program, const QStringList &arguments) override
    {
        const QString path =
            program.contains(QLatin1Char('/')) ? program : QStandardPaths::findExecutable(program);
        const QFileInfo file(path);
        if (path.isEmpty() || !file.isFile() || !file.isExecutable())
            throw Failure(FailureNumber::FileNotFound,
                          QStringLiteral("File not found: ") + program);
        QProcess process;
        process.setProgram(path);
        process.setArguments(arguments);
        // The child must not read the terminal this program may run in.
        process.setStandardInputFile(QProcess::nullDevice());
        if (!process.startDetached())
            throw Failure(FailureNumber::ProgramNotStarted,
                          QStringLiteral("Cannot start %1: %2").arg(path, process.errorString()));
    }
};

} // namespace

ProgramLauncher &systemLauncher()
{
    static DetachedLauncher launcher;
    return launcher;
}
