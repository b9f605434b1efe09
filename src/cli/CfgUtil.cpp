#include "cli/CfgUtil.h"

#include "cli/CliCommand.h"
#include "cli/CommandDeclaration.h"
#include "cli/CommandHelp.h"
#include "cli/CommandLine.h"
#include "cli/ExitCode.h"
#include "cli/TerminalPrompts.h"
#include "core/session/AppContext.h"
#include "core/support/ProgramVersion.h"

#include <QIODevice>
#include <QJsonValue>

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

void CfgUtil::run(const QStringList &arguments, AppContext &context, const Prepare &prepare)
{
    CommandLine line = readCommandLine(arguments, context, m_output);
    m_output.setJson(line.json);
    m_output.setQuiet(line.quiet);
    m_prompts =
        std::make_unique<TerminalPrompts>(m_output, line.command && line.command->answersYes());
    context.prompts = m_prompts.get();

    if (line.help) {
        m_out.write((line.declared ? commandHelpText(*line.declared) : helpText()).toUtf8());
        return end(ExitCode::Done);
    }
    if (line.version) {
        m_out.write(versionLine(QStringLiteral("cfgutil")).toUtf8());
        return end(ExitCode::Done);
    }
    if (!line.error.isEmpty()) {
        const QString name = line.declared ? line.declared->name : QString();
        m_output.error(QStringLiteral("cfgutil: %1 (see cfgutil %2--help)")
                           .arg(line.error, name.isEmpty() ? QString() : name + QLatin1Char(' ')));
        m_output.document(
            {{QStringLiteral("command"), name.isEmpty() ? QJsonValue() : QJsonValue(name)},
             {QStringLiteral("exitCode"), ExitCode::BadInput},
             {QStringLiteral("error"), line.error}});
        return end(ExitCode::BadInput);
    }
    if (prepare)
        prepare(context);
    m_command = std::move(line.command);
    connect(m_command.get(), &CliCommand::finished, this, &CfgUtil::finished);
    m_command->start();
}
