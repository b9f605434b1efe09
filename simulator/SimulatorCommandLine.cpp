#include "SimulatorCommandLine.h"

#include <QCommandLineParser>
#include <QDir>
#include <QRegularExpression>

namespace {
struct Choice {
    const char *name;
    int value;
};

const Choice ReplyModes[] = {{"normal", int(QueryReplyMode::Normal)},
                             {"short", int(QueryReplyMode::Short)},
                             {"long", int(QueryReplyMode::Long)},
                             {"none", int(QueryReplyMode::None)}};
const Choice Faults[] = {{"none", int(TftpFault::None)},
                         {"never-ack", int(TftpFault::NeverAck)},
                         {"error-packet", int(TftpFault::ErrorPacket)},
                         {"short-datagram", int(TftpFault::ShortDatagram)},
                         {"repeat-ack", int(TftpFault::RepeatAck)},
                         {"new-port", int(TftpFault::NewPort)},
                         {"delay-ack", int(TftpFault::DelayAck)}};

template <size_t N> int choose(const Choice (&choices)[N], const QString &text)
{
    for (const Choice &c : choices)
        if (text == QLatin1String(c.name))
            return c.value;
    return -1;
}

bool number(const QString &text, int low, int high, int *out)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < low || value > high)
        return false;
    *out = value;
    return true;
}

QList<QCommandLineOption> optionList()
{
    auto o = [](const char *name, const char *help, const char *value) {
        return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(help),
                                  QString::fromLatin1(value));
    };
    return {
        o("bind", "Address to listen on (default 127.0.0.1; 0.0.0.0 to hear broadcasts).",
          "address"),
        o("query-port", "UDP port of the query and IP-SETUP (default 30718, 0 = any).", "port"),
        o("tftp-port", "UDP port of the TFTP write server (default 69, 0 = any).", "port"),
        o("hardware-address", "Hardware address, six hex pairs (default 02-00-00-04-0B-0C).",
          "xx-xx-xx-xx-xx-xx"),
        o("firmware-version", "Version bytes major.minor as two hex bytes (default 04.10).",
          "MM.mm"),
        o("upgraded-version",
          "Version MM.mm a device answers with once it has received a firmware file (any "
          "name but WEB1-WEB6).",
          "MM.mm"),
        QCommandLineOption(QStringLiteral("silent-after-upgrade"),
                           QStringLiteral("A device that has received a firmware file answers no "
                                          "query from then on.")),
        o("firmware-type", "Two firmware type characters (default X1).", "chars"),
        o("device-type", "Device type code 0-15 for the low nibble of reply byte 27.", "code"),
        o("reply", "Query reply: normal, short, long or none.", "mode"),
        o("short-length", "Length of a short reply (0-30, default 4).", "bytes"),
        o("long-length", "Length of a long reply (30-65507, default 40).", "bytes"),
        o("fault",
          "TFTP fault: none, never-ack, error-packet, short-datagram, repeat-ack, new-port, "
          "delay-ack.",
          "fault"),
        o("ack-delay", "Delay of each acknowledgement under delay-ack, in ms (0.5 allowed).", "ms"),
        o("lose-blocks",
          "Data blocks lost on the way once per transfer, whatever the fault (such as 3,100).",
          "blocks"),
        o("store", "Folder that receives the files (default: the current folder).", "folder"),
        o("interface", "Interface that assigned addresses are added to (namespace use).", "name"),
        o("log", "Append the datagram log to this file instead of standard output.", "file"),
        QCommandLineOption(
            QStringLiteral("no-datagram-log"),
            QStringLiteral("Log no datagrams (notices only): for timing transfers.")),
        o("devices",
          "Play N devices (1-4096) with consecutive hardware addresses from --hardware-address.",
          "N"),
        o("first-address",
          "Device i answers at this address plus i (needs --bind 0.0.0.0; with --interface the "
          "addresses are added to it). Without it, every device answers at every address.",
          "address"),
    };
}

void setUp(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Simulated device server: answers the device query, takes an address from IP-SETUP "
        "and receives files by TFTP write. Every datagram is logged in hex unless "
        "--no-datagram-log."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions(optionList());
}
} // namespace

QString SimulatorCommandLine::helpText()
{
    QCommandLineParser parser;
    setUp(parser);
    return parser.helpText();
}

SimulatorCommandLine SimulatorCommandLine::parse(const QStringList &arguments)
{
    SimulatorCommandLine line;
    SimulatorOptions &o = line.options;
    o.storeFolder = QDir::currentPath();
    QCommandLineParser parser;
    setUp(parser);
    auto refuse = [&line](const QString &why) {
        line.error = why;
        return line;
    };
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        line.helpRequested = true;
        return line;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        line.versionRequested = true;
        return line;
    }
    if (!parser.positionalArguments().isEmpty())
        return refuse(QStringLiteral("Unexpected argument: ") + parser.positionalArguments().at(0));

    auto value = [&parser](const char *name) { return parser.value(QString::fromLatin1(name)); };
    auto isSet = [&parser](const char *name) { return parser.isSet(QString::fromLatin1(name)); };
    int n = 0;
    if (isSet("bind")) {
        o.bindAddress = QHostAddress(value("bind"));
        if (o.bindAddress.protocol() != QAbstractSocket::IPv4Protocol)
            return refuse(
                QStringLiteral("--bind needs an IPv4 address, not \"%1\"").arg(value("bind")));
    }
    if (isSet("query-port")) {
        if (!number(value("query-port"), 0, 65535, &n))
            return refuse(QStringLiteral("--query-port needs a port number 0-65535"));
        o.queryPort = quint16(n);
    }
    if (isSet("tftp-port")) {
        if (!number(value("tftp-port"), 0, 65535, &n))
            return refuse(QStringLiteral("--tftp-port needs a port number 0-65535"));
        o.tftpPort = quint16(n);
    }
    if (isSet("hardware-address")) {
        static const QRegularExpression pairs(
            QStringLiteral("^([0-9A-Fa-f]{2}[-:]){5}[0-9A-Fa-f]{2}$"));
        if (!pairs.match(value("hardware-address")).hasMatch())
            return refuse(
                QStringLiteral("--hardware-address needs six hex pairs like 02-00-00-04-0B-0C"));
        o.identity.hardwareAddress = QByteArray::fromHex(value("hardware-address").toLatin1());
    }
    static const QRegularExpression version(
        QStringLiteral("^([0-9A-Fa-f]{1,2})\\.([0-9A-Fa-f]{1,2})$"));
    for (const char *option : {"firmware-version", "upgraded-version"}) {
        if (!isSet(option))
            continue;
        const auto match = version.match(value(option));
        if (!match.hasMatch())
            return refuse(
                QStringLiteral("--%1 needs two hex bytes like 04.10").arg(QLatin1String(option)));
        const std::pair<quint8, quint8> bytes{quint8(match.captured(1).toUInt(nullptr, 16)),
                                              quint8(match.captured(2).toUInt(nullptr, 16))};
        if (QLatin1String(option) == QLatin1String("upgraded-version"))
            o.upgradedVersion = bytes;
        else
            std::tie(o.identity.versionMajor, o.identity.versionMinor) = bytes;
    }
    o.silentAfterUpgrade = isSet("silent-after-upgrade");
    o.logDatagrams = !isSet("no-datagram-log");
    if (isSet("firmware-type")) {
        o.identity.firmwareType = value("firmware-type").toLatin1();
        if (o.identity.firmwareType.size() != 2)
            return refuse(QStringLiteral("--firmware-type needs exactly two characters"));
    }
    if (isSet("device-type")) {
        if (!number(value("device-type"), 0, 15, &n))
            return refuse(QStringLiteral("--device-type needs a code 0-15"));
        o.identity.deviceTypeCode = n;
    }
    if (isSet("reply")) {
        n = choose(ReplyModes, value("reply"));
        if (n < 0)
            return refuse(QStringLiteral("--reply must be normal, short, long or none"));
        o.replyMode = QueryReplyMode(n);
    }
    if (isSet("short-length") && !number(value("short-length"), 0, 30, &o.shortReplyLength))
        return refuse(QStringLiteral("--short-length needs a length 0-30"));
    if (isSet("long-length") && !number(value("long-length"), 30, 65507, &o.longReplyLength))
        return refuse(QStringLiteral("--long-length needs a length 30-65507"));
    if (isSet("fault")) {
        n = choose(Faults, value("fault"));
        if (n < 0)
            return refuse(QStringLiteral("Unknown --fault \"%1\"").arg(value("fault")));
        o.fault = TftpFault(n);
    }
    if (isSet("ack-delay")) {
        bool ok = false;
        o.ackDelayMs = value("ack-delay").toDouble(&ok);
        if (!ok || !(o.ackDelayMs >= 0 && o.ackDelayMs <= 600000))
            return refuse(QStringLiteral("--ack-delay needs milliseconds 0-600000"));
    }
    if (isSet("lose-blocks")) {
        for (const QString &block : value("lose-blocks").split(QLatin1Char(','))) {
            if (!number(block.trimmed(), 1, 65535, &n))
                return refuse(QStringLiteral("--lose-blocks needs block numbers 1-65535 "
                                             "separated by commas"));
            o.lostDataBlocks.append(quint16(n));
        }
    }
    if (isSet("store"))
        o.storeFolder = value("store");
    if (isSet("interface"))
        o.interfaceName = value("interface");
    if (isSet("devices") && !number(value("devices"), 1, 4096, &o.deviceCount))
        return refuse(QStringLiteral("--devices needs a count 1-4096"));
    if (isSet("first-address")) {
        o.firstAddress = QHostAddress(value("first-address"));
        if (o.firstAddress.protocol() != QAbstractSocket::IPv4Protocol)
            return refuse(QStringLiteral("--first-address needs an IPv4 address, not \"%1\"")
                              .arg(value("first-address")));
    }
    line.logFile = value("log");
    return line;
}
