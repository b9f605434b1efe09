#include "gui/shell/ProgramOptions.h"

#include "core/support/ProgramVersion.h"

#include <QIODevice>

QString windowProgramHelpText()
{
    return QStringLiteral(
        "Usage: ConfigUtility [--help] [--version] [toolkit options]\n"
        "\n"
        "Configures serial-to-Ethernet device servers on this network segment: gives a\n"
        "new device an IP address by its hardware address, pings it, reads its identity\n"
        "into a device data file, loads firmware and web pages into it over TFTP, and\n"
        "opens telnet or a web browser to it. cfgutil runs the same tools without a\n"
        "window.\n"
        "\n"
        "Options:\n"
        "  -h, --help  show this text and exit\n"
        "  --version   show the program's name and version and exit\n"
        "The window toolkit's own options (-platform NAME, -style NAME, ...) are taken\n"
        "as well.\n");
}

std::optional<int> answerProgramOptions(const QStringList &arguments, QIODevice &out)
{
    const QStringList given = arguments.mid(1);
    if (given.contains(QLatin1String("--help")) || given.contains(QLatin1String("-h"))) {
        out.write(windowProgramHelpText().toUtf8());
        return 0;
    }
    if (given.contains(QLatin1String("--version"))) {
        out.write(versionLine(QStringLiteral("ConfigUtility")).toUtf8());
        return 0;
    }
    return std::nullopt;
}
