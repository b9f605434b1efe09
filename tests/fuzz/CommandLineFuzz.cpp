// cfgutil's command line on any arguments (separated by NUL bytes, as a
// program is given them).
//
// An argument is an option only where an option may stand: not as the value
// of an option that takes one, and not after "--". So --json, --quiet and
// --help (-q, -h) count only there; a command is made exactly when the line
// is good, and it is the one the first other argument names.

#include "FuzzSupport.h"
#include "cli/CliCommand.h"
#include "cli/CliOutput.h"
#include "cli/CommandDeclaration.h"
#include "cli/CommandLine.h"
#include "core/session/AppContext.h"

#include <QBuffer>
#include <QHash>
#include <QStringList>

namespace {

const QStringList kValued{
    QStringLiteral("--interface"),   QStringLiteral("--timeout"),     QStringLiteral("-c"),
    QStringLiteral("--count"),       QStringLiteral("--destination"), QStringLiteral("--file"),
    QStringLiteral("--new-address"), QStringLiteral("--device"),      QStringLiteral("--jobs"),
    QStringLiteral("--report"),      QStringLiteral("--resume")};

// The arguments as options and words, read the plain way.
struct Reading {
    QStringList words;
    QHash<QString, QString> lastValue; // of each valued option given apart from its value
    bool json = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
};

Reading read(const QStringList &arguments)
{
    Reading reading;
    bool onlyWords = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (onlyWords || !argument.startsWith('-') || argument == QStringLiteral("-")) {
            reading.words.append(argument);
        } else if (argument == QStringLiteral("--")) {
            onlyWords = true;
        } else if (kValued.contains(argument)) {
            if (i + 1 < arguments.size())
                reading.lastValue.insert(argument, arguments[++i]);
        } else {
            reading.json = reading.json || argument == QStringLiteral("--json");
            reading.quiet = reading.quiet || argument == QStringLiteral("--quiet") ||
                            argument == QStringLiteral("-q");
            reading.help = reading.help || argument == QStringLiteral("--help") ||
                           argument == QStringLiteral("-h");
            reading.version = reading.version || argument == QStringLiteral("--version");
        }
    }
    return reading;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QStringList arguments{QStringLiteral("cfgutil")};
    for (const QByteArray &argument : inputBytes(data, size).split('\0'))
        arguments.append(QString::fromUtf8(argument));
    static AppContext context;
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    CliOutput output(out, err, false);
    const CommandLine line = readCommandLine(arguments, context, output);
    const Reading reading = read(arguments);

    // The output flags hold whether the rest parses or not.
    FUZZ_CHECK(line.json == reading.json);
    FUZZ_CHECK(line.quiet == reading.quiet);
    FUZZ_CHECK(!reading.help || line.help);
    FUZZ_CHECK(line.version == reading.version);
    // A command is made exactly when the line is good, and it is the first word.
    FUZZ_CHECK(!line.command || (line.error.isEmpty() && !line.help && !line.version));
    if (line.error.isEmpty() && !line.help && !line.version) {
        FUZZ_CHECK(line.command && line.declared);
        FUZZ_CHECK(reading.words.value(0) == line.declared->name);
    }
    return 0;
}
