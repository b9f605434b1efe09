#include "cli/CommandLine.h"

#include <array>

namespace {

struct CommandForm {
    const char *name;
    int operands;
    const char *options; // space-separated, as given on the command line
    const char *usage;
    const char *summary;
};

const std::array<CommandForm, 9> kCommands = {{
    {"discover", 0, "--interface --timeout", "discover [--interface NAME]... [--timeout SECONDS]",
     "Find the devices on the segments of this host: the query is broadcast on every\n"
     "      up interface (or those named) and replies are collected for 2 s."},
    {"query", 1, "--timeout", "query IP [--timeout SECONDS]",
     "Read the identity of the device at IP (time-out 10 s)."},
    {"assign", 2, "--no-confirm --force", "assign IP HW [--no-confirm] [--force]",
     "Give the device with hardware address HW (as 02-00-00-14-01-18) the address IP,\n"
     "      then confirm it by ping (two replies of four echo requests) and prove it by\n"
     "      the query: HW alone answers at IP. Refused when IP answers a ping already\n"
     "      (--force goes on) or another device's hardware address ends in HW's last\n"
     "      two bytes (IP-SETUP would move it too)."},
    {"ping", 1, "-c", "ping IP [-c N]", "Ping IP until N replies or N time-outs (N = 4)."},
    {"load-firmware", 2, "--destination --create-infobase --yes --timeout",
     "load-firmware IP FILE [--destination NAME] [--create-infobase] [--timeout SECONDS]",
     "Send a firmware image by TFTP. NAME is a display name of the product infobase\n"
     "      (default: its first entry); --create-infobase (or --yes) lets a missing\n"
     "      infobase be replaced by the default one."},
    {"load-web", 2, "--destination --timeout",
     "load-web IP FILE [--destination WEB1..WEB6] [--timeout SECONDS]",
     "Send a web page archive by TFTP into a web directory (default WEB6)."},
    {"save", 1, "--file --timeout", "save IP [--file PATH] [--timeout SECONDS]",
     "Query the device and store its record in the device data file (default: the\n"
     "      file of the settings); a record with the same IP address is replaced."},
    {"doctor", 0, "--new-address --device --timeout",
     "doctor [--new-address IP] [--device IP] [--timeout SECONDS]",
     "Say why a device may not be found or reached: interfaces and subnets, a new\n"
     "      address outside them or already in use, ICMP permission, firewall rules."},
    {"commission", 1, "--jobs --report --resume --file --create-infobase --yes",
     "commission PLAN.csv [--jobs N] [--report FILE] [--resume REPORT] [--file PATH]\n"
     "      [--create-infobase]",
     "Give every device of a plan its address, verify it, load firmware and web\n"
     "      pages where the plan says, and store its record in the device data file\n"
     "      (--file, else the file of the settings). N devices at a time, 1 to 256\n"
     "      (8). The plan is checked whole first: any bad row, and nothing is sent\n"
     "      (exit status 2); so is a row whose hardware address ends in the same two\n"
     "      bytes as another row's or another device's found on its segment.\n"
     "      Plan columns (header row, any order): hardware_address, ip (required);\n"
     "      firmware, firmware_version (both or neither), destination (a display name\n"
     "      of the product infobase), web_pages, web_destination (WEB6). Relative\n"
     "      paths are taken from the plan's folder.\n"
     "      Per device: probe (does the new address answer already? if it is the\n"
     "      device, \"already done\"), assign (IP-SETUP, confirmed by ping), verify\n"
     "      (query: the device alone at its address), firmware (when the version read\n"
     "      differs: upload, wait for the device, check the version), web pages,\n"
     "      record. A device stops at its first failure. Ctrl-C or SIGTERM starts no\n"
     "      further device; those running finish, and the report is written. A second\n"
     "      one stops them at once (outcome \"interrupted\").\n"
     "      Before anything is sent, the data file must be writable (else exit status\n"
     "      3), and the report, the data file, the plan, its images and the --resume\n"
     "      report must be different files, links followed (exit status 2); only the\n"
     "      --resume report may be the report itself.\n"
     "      Report (default PLAN-report.csv beside the plan; a link there is replaced,\n"
     "      never written through; each device's row added as it ends): line,\n"
     "      hardware_address, ip, outcome (done, already done, failed at STEP,\n"
     "      interrupted, not started), hardware_address_read, firmware_version,\n"
     "      firmware_type, device_type (as last read), seconds, failure, then the\n"
     "      plan's columns: firmware, firmware_sha256, firmware_version_planned,\n"
     "      destination, web_pages, web_pages_sha256, web_destination.\n"
     "      --resume REPORT carries over a row only when REPORT has it done with every\n"
     "      plan column equal, each file by name and SHA-256; any other row runs again.\n"
     "      Exit status 0 when every row is done, 1 when any is not."},
}};

// Options that take a value.
const QStringList kValued = {QStringLiteral("--interface"), QStringLiteral("--timeout"),
                             QStringLiteral("-c"),          QStringLiteral("--destination"),
                             QStringLiteral("--file"),      QStringLiteral("--new-address"),
                             QStringLiteral("--device"),    QStringLiteral("--jobs"),
                             QStringLiteral("--report"),    QStringLiteral("--resume")};

const CommandForm *findCommand(const QString &name)
{
    for (const CommandForm &form : kCommands)
        if (name == QLatin1String(form.name))
            return &form;
    return nullptr;
}

QString canonical(const QString &option)
{
    if (option == QLatin1String("--count"))
        return QStringLiteral("-c");
    if (option == QLatin1String("-y"))
        return QStringLiteral("--yes");
    if (option == QLatin1String("-q"))
        return QStringLiteral("--quiet");
    if (option == QLatin1String("-h"))
        return QStringLiteral("--help");
    return option;
}

// Applies one option; an error text when its value is unusable.
QString apply(Invocation &in, const QString &option, const QString &value)
{
    if (option == QLatin1String("--interface")) {
        // Trimmed before empty names are dropped: " , " names none, and none
        // must not mean every interface.
        qsizetype named = 0;
        for (const QString &name : value.split(QLatin1Char(','))) {
            if (const QString trimmed = name.trimmed(); !trimmed.isEmpty()) {
                in.interfaces.append(trimmed);
                ++named;
            }
        }
        if (named == 0)
            return QStringLiteral("--interface needs an interface name, not \"%1\"").arg(value);
    } else if (option == QLatin1String("--timeout")) {
        bool ok = false;
        const double seconds = value.toDouble(&ok);
        if (!ok || !(seconds > 0) || seconds > 3600)
            return QStringLiteral("--timeout needs seconds above 0, at most 3600, not \"%1\"")
                .arg(value);
        in.timeoutMs = qMax(1, int(seconds * 1000));
    } else if (option == QLatin1String("-c")) {
        bool ok = false;
        in.count = value.toInt(&ok);
        if (!ok || in.count < 1 || in.count > 10000)
            return QStringLiteral("-c needs a count from 1 to 10000, not \"%1\"").arg(value);
    } else if (option == QLatin1String("--destination")) {
        in.destination = value;
    } else if (option == QLatin1String("--jobs")) {
        bool ok = false;
        in.jobs = value.toInt(&ok);
        if (!ok || in.jobs < 1 || in.jobs > 256)
            return QStringLiteral("--jobs needs a count from 1 to 256, not \"%1\"").arg(value);
    } else if (option == QLatin1String("--report")) {
        in.report = value;
    } else if (option == QLatin1String("--resume")) {
        in.resume = value;
    } else if (option == QLatin1String("--file")) {
        in.file = value;
    } else if (option == QLatin1String("--new-address")) {
        in.newAddress = value;
    } else if (option == QLatin1String("--device")) {
        in.device = value;
    } else if (option == QLatin1String("--no-confirm")) {
        in.noConfirm = true;
    } else if (option == QLatin1String("--force")) {
        in.force = true;
    } else if (option == QLatin1String("--create-infobase")) {
        in.createInfobase = true;
    } else if (option == QLatin1String("--yes")) {
        in.yes = true;
    } else if (option == QLatin1String("--json")) {
        in.json = true;
    } else if (option == QLatin1String("--quiet")) {
        in.quiet = true;
    } else if (option == QLatin1String("--help")) {
        in.help = true;
    }
    return {};
}

bool isGlobal(const QString &option)
{
    return option == QLatin1String("--json") || option == QLatin1String("--quiet") ||
           option == QLatin1String("--help");
}

} // namespace

ParsedCommandLine parseCommandLine(const QStringList &arguments)
{
    ParsedCommandLine parsed;
    Invocation &in = parsed.invocation;
    QStringList words;
    QList<QPair<QString, QString>> options;
    QString error; // the first; reading goes on so that the output flags still hold
    bool onlyWords = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (onlyWords || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            words.append(argument);
            continue;
        }
        if (argument == QLatin1String("--")) {
            onlyWords = true;
            continue;
        }
        QString option = argument;
        QString value;
        bool inlineValue = false;
        if (const qsizetype equals = argument.indexOf(QLatin1Char('=')); equals > 0) {
            option = argument.left(equals);
            value = argument.mid(equals + 1);
            inlineValue = true;
        } else if (argument.startsWith(QLatin1String("-c")) && argument.size() > 2 &&
                   argument[2].isDigit()) {
            option = QStringLiteral("-c");
            value = argument.mid(2);
            inlineValue = true;
        }
        option = canonical(option);
        if (kValued.contains(option) && !inlineValue) {
            // The next argument is the value whatever it looks like: "--file -h" names a file.
            if (i + 1 >= arguments.size()) {
                if (error.isEmpty())
                    error = QStringLiteral("%1 needs a value").arg(option);
                break;
            }
            value = arguments[++i];
        } else if (!kValued.contains(option) && inlineValue) {
            if (error.isEmpty())
                error = QStringLiteral("%1 takes no value").arg(option);
            continue;
        }
        if (isGlobal(option))
            apply(in, option, {});
        options.append({option, value});
    }
    if (!error.isEmpty()) {
        parsed.error = error;
        return parsed;
    }

    if (!words.isEmpty() && words.first() == QLatin1String("help")) {
        in.help = true;
        return parsed;
    }
    if (in.help)
        return parsed;
    if (words.isEmpty()) {
        parsed.error = QStringLiteral("No command given");
        return parsed;
    }
    const CommandForm *form = findCommand(words.first());
    if (!form) {
        parsed.error = QStringLiteral("Unknown command \"%1\"").arg(words.first());
        return parsed;
    }
    in.command = words.takeFirst();
    const QStringList accepted = QString::fromLatin1(form->options).split(QLatin1Char(' '));
    for (const auto &[option, value] : std::as_const(options)) {
        if (isGlobal(option))
            continue;
        if (!accepted.contains(option)) {
            parsed.error = QStringLiteral("%1 does not take %2").arg(in.command, option);
            return parsed;
        }
        if (const QString why = apply(in, option, value); !why.isEmpty()) {
            parsed.error = why;
            return parsed;
        }
    }
    if (words.size() != form->operands) {
        parsed.error = QStringLiteral("Usage: cfgutil %1").arg(QLatin1String(form->usage));
        return parsed;
    }
    in.operands = words;
    return parsed;
}

QString helpText()
{
    QString text = QStringLiteral(
        "Usage: cfgutil [--json] [--quiet] COMMAND ARGUMENTS [OPTIONS]\n"
        "\n"
        "Configures serial-to-Ethernet device servers on this network segment, with the\n"
        "same rules and settings file as the windows.\n"
        "\n"
        "Commands:\n");
    for (const CommandForm &form : kCommands)
        text += QStringLiteral("  %1\n      %2\n")
                    .arg(QLatin1String(form.usage), QLatin1String(form.summary));
    text += QStringLiteral(
        "\n"
        "Options of every command:\n"
        "  --json    write one JSON document on standard output (its fields are listed\n"
        "            in cfgutil.md: share/doc/configutility/ when installed, docs/ in\n"
        "            the sources)\n"
        "  --quiet   no plain results or progress; errors and the JSON document are\n"
        "            still written\n"
        "  --help    show this text\n"
        "Errors go to standard error; progress too, when it is a terminal.\n"
        "\n"
        "Exit status:\n"
        "  0  done\n"
        "  1  the device failed or did not answer\n"
        "  2  bad usage or input, or a question only a flag can answer (the message\n"
        "     names the flag)\n"
        "  3  the environment: no ICMP socket, no usable interface, a file or socket\n"
        "     that cannot be opened\n");
    return text;
}
