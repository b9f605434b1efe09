// cfgutil's command line on any arguments (separated by NUL bytes, as a
// program is given them).
//
// An argument is an option only where an option may stand: not as the value
// of an option that takes one, and not after "--". So --json, --quiet and
// --help (-q, -h) count only there; the command and its operands are the
// other arguments, in order; an option's value is taken whole, the last one
// given counting.

#include "FuzzSupport.h"
#include "cli/CommandLine.h"

#include <QHash>
#include <QStringList>

#include <algorithm>

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
    const ParsedCommandLine parsed = parseCommandLine(arguments);
    const Invocation &in = parsed.invocation;
    const Reading reading = read(arguments);

    // The output flags hold whether the rest parses or not.
    FUZZ_CHECK(in.json == reading.json);
    FUZZ_CHECK(in.quiet == reading.quiet);
    FUZZ_CHECK(!reading.help || in.help);
    FUZZ_CHECK(!in.help || reading.help || reading.words.value(0) == QStringLiteral("help"));
    if (!parsed.error.isEmpty() || in.help) {
        FUZZ_CHECK(in.command.isEmpty() || !parsed.error.isEmpty());
        return 0;
    }

    FUZZ_CHECK(!in.command.isEmpty() && reading.words.value(0) == in.command);
    FUZZ_CHECK(in.operands == reading.words.mid(1));
    const QHash<QString, const QString *> fields{{QStringLiteral("--file"), &in.file},
                                                 {QStringLiteral("--report"), &in.report},
                                                 {QStringLiteral("--resume"), &in.resume},
                                                 {QStringLiteral("--new-address"), &in.newAddress},
                                                 {QStringLiteral("--device"), &in.device}};
    for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
        // Given as "--file=PATH" too, the value apart is the one checked only
        // when that form is not used.
        const bool givenInline =
            std::any_of(arguments.cbegin(), arguments.cend(), [&](const QString &argument) {
                return argument.startsWith(it.key() + '=');
            });
        if (reading.lastValue.contains(it.key()) && !givenInline)
            FUZZ_CHECK(*it.value() == reading.lastValue[it.key()]);
    }
    if (reading.lastValue.contains(QStringLiteral("--destination")))
        FUZZ_CHECK(in.destination.has_value());
    return 0;
}
