#include "gui/ToolTable.h"
#include "gui/shell/ProgramOptions.h"
#include "gui/shell/Startup.h"

#include <QApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char *argv[])
{
    // --help and --version before the toolkit, which needs a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QFile out;
    if (out.open(stdout, QIODevice::WriteOnly))
        if (const std::optional<int> answered = answerProgramOptions(arguments, out))
            return *answered;

    QApplication app(argc, argv);
    Startup startup(programTools());
    startup.Main();
    return app.exec();
}
