#include "cli/CfgUtil.h"

#include "cli/AssignCommand.h"
#include "cli/CommandLine.h"
#include "cli/CommissionCommand.h"
#include "cli/DiscoverCommand.h"
#include "cli/DoctorCommand.h"
#include "cli/ExitCode.h"
#include "cli/LoadCommand.h"
#include "cli/PingCommand.h"
#include "cli/SaveCommand.h"
#include "cli/TerminalPrompts.h"
#include "core/session/AppContext.h"

#include <QIODevice>
#include <QJsonValue>
#include <functional>

namespace {
using Maker =
    std::function<std::unique_ptr<CliCommand>(AppContext &, const Invocation &, CliOutput &)>;

template <typename T> Maker maker()
{
    return [](AppContext &context, const Invocation &invocation, CliOutput &output) {
        return std::make_unique<T>(context, invocation, output);
    };
}

Maker loadMaker(LoadCommand::Kind kind)
{
    return [kind](AppContext &context, const Invocation &invocation, CliOutput &output) {
        return std::make_unique<LoadCommand>(kind, context, invocation, output);
    };
}

Maker makerFor(const QString &command)
{
    static const QList<QPair<QString, Maker>> table = {
        {QStringLiteral("discover"), maker<DiscoverCommand>()},
        {QStringLiteral("query"), maker<QueryCommand>()},
        {QStringLiteral("assign"), maker<AssignCommand>()},
        {QStringLiteral("ping"), maker<PingCommand>()},
        {QStringLiteral("load-firmware"), loadMaker(LoadCommand::Kind::Firmware)},
        {QStringLiteral("load-web"), loadMaker(LoadCommand::Kind::WebPages)},
        {QStringLiteral("save"), maker<SaveCommand>()},
        {QStringLiteral("doctor"), maker<DoctorCommand>()},
        {QStringLiteral("commission"), maker<CommissionCommand>()},
    };
    for (const auto &[name, make] : table)
        if (name == command)
            return make;
    return {};
}
} // namespace

CfgUtil::CfgUtil(QIODevice &out, QIODevice &err, bool errIsTerminal, QObject *parent)
    : QObject(parent), m_output(out, err, errIsTerminal), m_out(out)
{
}

CfgUtil::~CfgUtil() = default;

void CfgUtil::end(int exitCode)
{
    QMetaObject::invokeMethod(
        this, [this, exitCode] { Q_EMIT finished(exitCode); }, Qt::QueuedConnection);
}

void CfgUtil::run(const QStringList &arguments, AppContext &context)
{
    const ParsedCommandLine parsed = parseCommandLine(arguments);
    const Invocation &invocation = parsed.invocation;
    m_output.setJson(invocation.json);
    m_output.setQuiet(invocation.quiet);
    m_prompts = std::make_unique<TerminalPrompts>(m_output, invocation.yes);
    context.prompts = m_prompts.get();

    if (invocation.help) {
        m_out.write(helpText().toUtf8());
        return end(ExitCode::Done);
    }
    const Maker make = makerFor(invocation.command);
    if (!parsed.error.isEmpty() || !make) {
        const QString why = parsed.error.isEmpty()
                                ? QStringLiteral("Unknown command \"%1\"").arg(invocation.command)
                                : parsed.error;
        m_output.error(QStringLiteral("cfgutil: %1 (see cfgutil --help)").arg(why));
        m_output.document(
            {{QStringLiteral("command"),
              invocation.command.isEmpty() ? QJsonValue() : QJsonValue(invocation.command)},
             {QStringLiteral("exitCode"), ExitCode::BadInput},
             {QStringLiteral("error"), why}});
        return end(ExitCode::BadInput);
    }
    m_command = make(context, invocation, m_output);
    connect(m_command.get(), &CliCommand::finished, this, &CfgUtil::finished);
    m_command->start();
}
