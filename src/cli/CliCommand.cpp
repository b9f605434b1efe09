#include "cli/CliCommand.h"

#include "cli/CliOutput.h"
#include "cli/ExitCode.h"
#include "core/device/HostAddress.h"
#include "core/session/AppContext.h"
#include "core/support/AddressChecks.h"
#include "core/support/Failure.h"
#include "core/support/SharedMessages.h"

#include <QJsonValue>

CliCommand::CliCommand(AppContext &context, CliOutput &output, QObject *parent)
    : QObject(parent), m_context(context), m_output(output)
{
    m_result.insert(QStringLiteral("command"), QJsonValue());
    m_result.insert(QStringLiteral("exitCode"), QJsonValue());
    m_result.insert(QStringLiteral("error"), QJsonValue());
}

void CliCommand::setArguments(const QString &name, const QStringList &operands)
{
    m_result.insert(QStringLiteral("command"), name);
    m_operands = operands;
}

void CliCommand::finish(int exitCode, const QString &error)
{
    if (m_finished)
        return;
    m_finished = true;
    QString why = error;
    if (!why.isEmpty())
        m_output.error(why);
    else if (exitCode != ExitCode::Done)
        why = m_output.lastMessage(); // the message box already said why
    if (!why.isEmpty())
        m_result.insert(QStringLiteral("error"),
                        why.replace(QStringLiteral("\r\n"), QStringLiteral(" ")));
    m_result.insert(QStringLiteral("exitCode"), exitCode);
    m_output.document(m_result);
    QMetaObject::invokeMethod(
        this, [this, exitCode] { Q_EMIT finished(exitCode); }, Qt::QueuedConnection);
}

void CliCommand::fail(const Failure &failure)
{
    finish(exitCodeFor(failure),
           QStringLiteral("Error %1: %2").arg(failure.number()).arg(failure.description()));
}

std::optional<QString> CliCommand::checkedAddress(const QString &text)
{
    const QString reason = invalidAddressReason(text);
    if (reason.isEmpty())
        return text.trimmed();
    // The windows' fixed message, then what is wrong with this text.
    ShowInvalidIPAddressMessage(*m_context.prompts);
    finish(ExitCode::BadInput, notAnAddress(text, reason));
    return std::nullopt;
}

std::optional<quint32> CliCommand::checkedNewAddress(const QString &text)
{
    if (!checkedAddress(text))
        return std::nullopt;
    const AddressReading reading =
        readNewDeviceAddress(text, AddressSpelling::Typed, localInterfaces());
    if (!reading.value)
        finish(ExitCode::BadInput, reading.problem);
    return reading.value;
}
