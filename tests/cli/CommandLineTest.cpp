#include "cli/CommandLine.h"
#include "CliRunner.h"
#include "LoopbackPeer.h"
#include "SimulatorFixture.h"
#include "TestContext.h"
#include "cli/CommandRegistry.h"
#include "cli/CompletionScript.h"
#include "core/support/ProgramVersion.h"
#include "core/support/SharedMessages.h"

#include <QFile>
#include <QJsonArray>
#include <QtTest>

// The command line, its exit status and its documents, in this process on
// loopback.
class CommandLineTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void usageAndExitStatus_data();
    void usageAndExitStatus();
    void outputFlagsHoldAfterABadOption();
    void declarationsAgreeWithEachOtherAndTheDocs();
    void queryDocumentHasTheDocumentedFields();
    void saveAppendsThenReplacesAndRemembersTheFile();
};

void CommandLineTest::usageAndExitStatus_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("infobase"); // InfobaseFile setting
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("says");  // on standard error (standard output for 0)
    QTest::addColumn<bool>("refusing"); // a device that answers a write request with an error

    auto row = [&](const char *name, const QStringList &arguments, int code, const QString &says,
                   const QString &infobase = QStringLiteral("NONE"), bool refusing = false) {
        QTest::newRow(name) << arguments << infobase << code << says << refusing;
    };
    // A box's text as the command line writes it: on one line.
    const auto oneLine = [](QString text) { return text.replace(QStringLiteral("\r\n"), " "); };
    row("help", {"--help"}, 0, "Exit status:");
    row("help command", {"help"}, 0, "Usage: cfgutil");
    row("help of one command", {"ping", "--help"}, 0, "Usage: cfgutil ping IP");
    row("help command of one command", {"help", "save"}, 0, "Usage: cfgutil save IP");
    row("help after a bad option", {"save", "--bogus", "-h"}, 0, "Usage: cfgutil save IP");
    row("help of no command", {"frob", "--help"}, 0, "Exit status:");
    row("version", {"--version"}, 0, versionLine(QStringLiteral("cfgutil")));
    row("version beside a command", {"ping", "--version"}, 0,
        versionLine(QStringLiteral("cfgutil")));
    row("no command", {}, 2, "No command given");
    row("unknown command", {"frob"}, 2, "Unknown command \"frob\"");
    row("operand missing", {"query"}, 2, "Usage: cfgutil query IP");
    row("operand too many", {"query", "10.0.0.5", "5"}, 2, "Usage: cfgutil query IP");
    // One line, and the way to the command's own help.
    row("usage of a long synopsis", {"commission"}, 2,
        "[--file PATH] [--create-infobase] (see cfgutil commission --help)");
    row("address out of range", {"query", "300.1.1.1"}, 2, oneLine(kInvalidIPAddressText));
    row("address not dotted", {"ping", "device-1"}, 2, oneLine(kInvalidIPAddressText));
    row("address incomplete", {"query", "1.2.3"}, 2, "incomplete: 3 of 4 numbers");
    row("hardware address of 16 characters", {"assign", "10.0.0.5", "02-00-00-14-01-1"}, 2,
        oneLine(kWrongHardwareAddressText));
    // The windows' check lets these through; a new address is held to more, and nothing is sent.
    row("negative octet", {"assign", "10.0.0.-1", "02-00-00-14-01-18"}, 2, "(-1) is negative");
    row("leading zeros", {"assign", "192.0.2.050", "02-00-00-14-01-18"}, 2, "leading zeros");
    row("loopback", {"assign", "127.0.0.5", "02-00-00-14-01-18"}, 2, "not a host address");
    row("doctor: broadcast", {"doctor", "--new-address", "192.0.2.255"}, 2,
        "broadcast address of 192.0.2.0/24");
    row("option of another command", {"ping", "127.0.0.1", "--destination", "x"}, 2,
        "ping does not take --destination");
    row("count zero", {"ping", "127.0.0.1", "-c", "0"}, 2, "-c needs a count");
    // Messages name an option by its first name, whichever was given.
    row("count by its long name", {"ping", "127.0.0.1", "--count=0"}, 2, "-c needs a count");
    row("count attached", {"ping", "127.0.0.1", "-c0"}, 2, "-c needs a count");
    row("count attached, not a number", {"ping", "127.0.0.1", "-cx"}, 2, "-c needs a count");
    row("count at the end", {"ping", "127.0.0.1", "--count"}, 2, "-c needs a value");
    row("alias of an option the command lacks", {"query", "127.0.0.1", "-y"}, 2,
        "query does not take --yes");
    row("flag of a command given a value", {"assign", "10.0.0.5", "02-00-00-14-01-18", "--force=1"},
        2, "--force takes no value");
    row("time-out not a number", {"discover", "--timeout", "soon"}, 2, "--timeout needs seconds");
    row("value missing", {"discover", "--timeout"}, 2, "--timeout needs a value");
    row("flag given a value", {"query", "127.0.0.1", "--json=yes"}, 2, "--json takes no value");
    // Flags count only where an option may stand: not as a value, not after "--".
    row("help as a file name", {"save", "127.0.0.1", "--file", "-h", "--timeout", "0.2"}, 1,
        oneLine(kQueryTimeoutText));
    row("json after --", {"query", "--", "--json"}, 2, oneLine(kInvalidIPAddressText));
    row("a lone dash is an operand", {"query", "-"}, 2, oneLine(kInvalidIPAddressText));
    row("interface list naming none", {"discover", "--interface", " , "}, 2,
        "--interface needs an interface name");
    row("interface list with a blank name", {"discover", "--interface", " ,cfgtest-none0"}, 3,
        "There is no interface cfgtest-none0");
    row("no such interface", {"discover", "--interface", "cfgtest-none0"}, 3,
        "There is no interface cfgtest-none0");
    row("firmware file missing", {"load-firmware", "127.0.0.1", "%dir/none.rom"}, 2,
        oneLine(kFileNotFoundText));
    row("web folder missing", {"load-web", "127.0.0.1", "%dir/none/pages.wpk"}, 2,
        oneLine(kPathNotFoundText));
    row("destination not in infobase",
        {"load-firmware", "127.0.0.1", "%dir/fw.rom", "--destination", "Nope"}, 2,
        "Did not find the Destination File selected 'Nope'");
    row("infobase missing asks for the flag", {"load-firmware", "127.0.0.1", "%dir/fw.rom"}, 2,
        "--create-infobase", QStringLiteral("Missing.txt"));
    row("infobase missing, -y answers",
        {"load-firmware", "127.0.0.1", "%dir/fw.rom", "-y", "--timeout", "0.3"}, 1,
        "Download timeout to the device!", QStringLiteral("Missing.txt"));
    row("save without a data file", {"save", "127.0.0.1"}, 2, "--file PATH");
    row("save into a missing folder", {"save", "127.0.0.1", "--file", "%dir/none/d.txt"}, 2,
        oneLine(kPathNotFoundText));
    row("commission with no jobs", {"commission", "plan.csv", "--jobs", "0"}, 2,
        "--jobs needs a count from 1 to 256");
    row("commission report over the plan",
        {"commission", "%dir/plan.csv", "--report", "%dir/plan.csv", "--file", "%dir/d.txt"}, 2,
        "is the same file as the plan");
    row("commission report over the data file",
        {"commission", "%dir/plan.csv", "--report", "%dir/d.txt", "--file", "%dir/d.txt"}, 2,
        "is the same file as the device data file");
    row("no answer", {"query", "127.0.0.1", "--timeout", "0.2"}, 1, oneLine(kQueryTimeoutText));
    row("no acknowledgement", {"load-web", "127.0.0.1", "%dir/fw.rom", "--timeout", "0.3"}, 1,
        kDownloadTimeoutLine);
    // Ends at the refusal, long before this time-out.
    row("device refuses the web pages",
        {"load-web", "127.0.0.1", "%dir/fw.rom", "--timeout", "600"}, 1,
        "TFTP error 0 from the device: Simulated fault", "NONE", true);
}

void CommandLineTest::usageAndExitStatus()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, infobase);
    QFETCH(int, exitCode);
    QFETCH(QString, says);
    QFETCH(bool, refusing);
    TestContext tc;
    tc.writeFile(QStringLiteral("fw.rom"), QByteArray(100, 'f'));
    tc.context.settings.InfobaseFile = infobase;
    LoopbackPeer silent; // a device that never answers
    QVERIFY(silent.bound);
    tc.context.ports.query = silent.port();
    SimulatorFixture sim;
    sim.options.fault = TftpFault::ErrorPacket;
    QVERIFY(!refusing || sim.start());
    tc.context.ports.tftp = refusing ? sim.tftpPort() : silent.port();
    arguments.replaceInStrings(QStringLiteral("%dir"), tc.folder());

    const CliResult result = runCli(tc.context, arguments);
    QCOMPARE(result.exitCode, exitCode);
    // Help reads no settings and makes no folders; a command that ran (exit
    // status 1 or 3) had them. Bad usage (2) may be found before or after.
    if (exitCode != 2)
        QCOMPARE(result.prepared, exitCode == 0 ? 0 : 1);
    const QByteArray &where = exitCode == 0 ? result.out : result.err;
    QVERIFY2(where.contains(says.toUtf8()), where.constData());

    // No result, no document that was not asked for; then the same failure as a document.
    if (exitCode != 0) {
        QVERIFY2(result.out.isEmpty(), result.out.constData());
        const CliResult json = runCli(tc.context, QStringList{"--json"} + arguments);
        QCOMPARE(json.json().value("exitCode").toInt(), exitCode);
        // Named whenever it was given, also when its options could not be read.
        const QString given = arguments.value(0);
        QCOMPARE(json.json().value("command").toString(), findCommand(given) ? given : QString());
        QVERIFY(!json.json().value("error").toString().isEmpty());
        if (refusing) // the device's words are in "messages" too
            QCOMPARE(json.json().value("messages").toArray().at(0)["text"].toString(), says);
    }
}

void CommandLineTest::outputFlagsHoldAfterABadOption()
{
    TestContext tc;
    const QList<QStringList> lines = {{"ping", "127.0.0.1", "--destination", "x", "--json"},
                                      {"ping", "127.0.0.1", "-c", "0", "--json"},
                                      {"query", "127.0.0.1", "--bogus=1", "--json"}};
    for (const QStringList &arguments : lines) {
        const CliResult result = runCli(tc.context, arguments);
        QCOMPARE(result.exitCode, 2);
        QVERIFY2(result.json().value("exitCode").toInt() == 2, result.out.constData());
    }
}

void CommandLineTest::declarationsAgreeWithEachOtherAndTheDocs()
{
    QFile docs(QStringLiteral(CFG_CLI_DOCS));
    QVERIFY(docs.open(QIODevice::ReadOnly));
    const QString documented = QString::fromUtf8(docs.readAll()).simplified();
    TestContext tc;
    // An option's name is read before the command is known: it must mean the
    // same in every command, and no command may take a flag of every command.
    QHash<QString, QPair<QString, bool>> meaning;
    for (const GlobalOption &global : globalOptions())
        for (const QString &name : global.names)
            meaning.insert(name, {QStringLiteral("every command"), false});
    // Values the shell completion offers nothing for; any other value must have
    // a kind there (a file, an interface, a range of names).
    const QStringList freeText{"IP", "HW", "N", "SECONDS", "NAME"};
    const auto completes = [&](const QString &option, const QString &value) {
        return valueCompletion(option, value) != ValueCompletion::None || freeText.contains(value);
    };
    QSet<QString> commands;
    for (const CommandDeclaration &command : registeredCommands()) {
        for (const QString &operand : command.operands)
            QVERIFY2(completes({}, operand), qPrintable(operand));
        QVERIFY2(!commands.contains(command.name), qPrintable(command.name));
        commands.insert(command.name);
        QVERIFY2(documented.contains(QStringLiteral("cfgutil ") + command.synopsis()),
                 qPrintable(command.synopsis()));
        const CliResult help = runCli(tc.context, {command.name, "--help"});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.startsWith(("Usage: cfgutil " + command.name + ' ').toUtf8()));
        for (const OptionDeclaration &option : command.options) {
            QVERIFY2(help.out.contains(option.names.join(", ").toUtf8()), help.out.constData());
            QVERIFY2(!option.takesValue() || completes(option.names.first(), option.valueName),
                     qPrintable(option.valueName));
            for (const QString &name : option.names) {
                const QPair<QString, bool> means{option.names.first(), option.takesValue()};
                QVERIFY2(meaning.value(name, means) == means,
                         qPrintable(command.name + QLatin1Char(' ') + name));
                meaning.insert(name, means);
            }
        }
    }
}

void CommandLineTest::queryDocumentHasTheDocumentedFields()
{
    TestContext tc;
    SimulatorFixture sim;
    QVERIFY(sim.start());
    sim.pointAt(tc.context);

    const CliResult result = runCli(tc.context, {"--json", "query", " 127.0.0.1 "});
    QCOMPARE(result.exitCode, 0);
    const QJsonObject document = result.json();
    QCOMPARE(undocumentedOrMissing(document, "query"), QString());
    QCOMPARE(document.value("address").toString(), "127.0.0.1");
    QCOMPARE(document.value("answered").toBool(), true);
    QCOMPARE(document.value("hardwareAddress").toString(), "02-00-00-04-0B-0C");
    QCOMPARE(document.value("firmwareVersion").toString(), "4.10");
    QCOMPARE(document.value("firmwareType").toString(), "X1");
    QCOMPARE(document.value("deviceType").toString(), "one port (NV30, Petite, Compact-Rev2)");
    QVERIFY(document.value("error").isNull());
    QCOMPARE(document.value("replyBytes").toInt(), 30);

    // Without --json the same identity, for a person.
    const CliResult plain = runCli(tc.context, {"query", "127.0.0.1"});
    QVERIFY(plain.out.contains("Hardware address:  02-00-00-04-0B-0C"));
}

void CommandLineTest::saveAppendsThenReplacesAndRemembersTheFile()
{
    TestContext tc;
    SimulatorFixture sim;
    QVERIFY(sim.start());
    sim.pointAt(tc.context);
    tc.writeFile("devices.txt", "\"10.0.0.9\",\"02-00-00-00-00-09\",\"1.0\",\"X1\",\"x\"\r\n");
    const QStringList save = {"--json", "save", "127.0.0.1", "--file", tc.path("devices.txt")};

    CliResult result = runCli(tc.context, save);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.json().value("outcome").toString(), "appended");
    result = runCli(tc.context, save);
    QCOMPARE(result.json().value("outcome").toString(), "replaced");
    QCOMPARE(tc.readFile("devices.txt"),
             QByteArray("\"10.0.0.9\",\"02-00-00-00-00-09\",\"1.0\",\"X1\",\"x\"\r\n"
                        "\"127.0.0.1\",\"02-00-00-04-0B-0C\",\"4.10\",\"X1\","
                        "\"one port (NV30, Petite, Compact-Rev2)\"\r\n"));
    // The next save without --file goes to the same file.
    tc.reloadSettings();
    result = runCli(tc.context, {"--json", "save", "127.0.0.1"});
    QCOMPARE(result.json().value("file").toString(), tc.path("devices.txt"));

    // An option's value is never a flag: "-q" is the file, and the result is shown.
    const QString here = QDir::currentPath();
    QVERIFY(QDir::setCurrent(tc.folder()));
    result = runCli(tc.context, {"save", "127.0.0.1", "--file", "-q"});
    QDir::setCurrent(here);
    QVERIFY2(result.out.contains(tc.path("-q").toUtf8()), result.out.constData());
}

QObject *createCommandLineTest()
{
    return new CommandLineTest;
}

#include "CommandLineTest.moc"
