#include "cli/AssignCommand.h"

#include "cli/CliOutput.h"
#include "cli/ExitCode.h"
#include "core/device/AddressAssignment.h"
#include "core/device/AddressText.h"
#include "core/session/AppContext.h"
#include "core/support/AddressChecks.h"
#include "core/support/Failure.h"

#include <QHostAddress>
#include <QJsonValue>

AssignCommand::AssignCommand(AppContext &context, const Invocation &invocation, CliOutput &output,
                             QObject *parent)
    : CliCommand(context, invocation, output, parent)
{
    for (const char *field : {"address", "hardwareAddress", "confirmed"})
        result().insert(QLatin1String(field), QJsonValue());
    for (const char *count : {"echoes", "replies", "timeouts"})
        result().insert(QLatin1String(count), 0);
}

void AssignCommand::counted()
{
    result().insert(QStringLiteral("echoes"), qint64(m_assignment->echoes()));
    result().insert(QStringLiteral("replies"), qint64(m_assignment->replies()));
    result().insert(QStringLiteral("timeouts"), m_assignment->timeouts());
}

void AssignCommand::start()
{
    // The datagram carries the address as typed; the pings go to the trimmed one.
    const QString typed = invocation().operands.at(0);
    const std::optional<quint32> value = checkedNewAddress(typed);
    if (!value)
        return;
    const QString address = QHostAddress(*value).toString();
    result().insert(QStringLiteral("address"), address);
    if (IsWrongHardwareAddress(*context().prompts, invocation().operands.at(1)))
        return finish(ExitCode::BadInput);
    const QString hardware = upperCaseHardwareText(invocation().operands.at(1));
    result().insert(QStringLiteral("hardwareAddress"), hardware);

    m_assignment = new AddressAssignment(context().ports.query, context().intervals.pingFirstMs,
                                         context().intervals.pingSecondMs, this);
    connect(m_assignment, &AddressAssignment::replied, this, [this] {
        counted();
        output().note(QStringLiteral("Reply %1 of %2 echo requests")
                          .arg(m_assignment->replies())
                          .arg(m_assignment->echoes()));
    });
    connect(m_assignment, &AddressAssignment::timedOut, this, [this] {
        counted();
        output().note(QStringLiteral("ICMP Request timed out"));
    });
    connect(m_assignment, &AddressAssignment::finished, this,
            [this](AssignConfirmation::Verdict verdict) {
                counted();
                const bool confirmed = verdict == AssignConfirmation::Verdict::Succeeded;
                result().insert(QStringLiteral("confirmed"), confirmed);
                if (confirmed) {
                    output().line(QStringLiteral("Assign IP successful!"));
                    return finish(ExitCode::Done);
                }
                finish(ExitCode::DeviceFailed,
                       verdict == AssignConfirmation::Verdict::Failed
                           ? QStringLiteral("Assign IP Failed! No response from device! Verify "
                                            "the IP and Hardware addresses and try again.")
                           : QStringLiteral("Assign IP not confirmed: %1 replies to %2 echo "
                                            "requests")
                                 .arg(m_assignment->replies())
                                 .arg(m_assignment->echoes()));
            });

    IpSetupOutcome outcome;
    try {
        outcome = m_assignment->start(typed, hardware, !invocation().noConfirm);
    } catch (const Failure &failure) {
        output().error(QStringLiteral("The IP-SETUP datagram was sent, but it cannot be "
                                      "confirmed by ping."));
        return fail(failure);
    }
    switch (outcome.kind) {
    case IpSetupOutcome::Kind::Sent:
        break;
    case IpSetupOutcome::Kind::ConversionFailed:
        return finish(ExitCode::BadInput,
                      QStringLiteral("Failed in connecting socket: Error %1: %2")
                          .arg(outcome.failure->number())
                          .arg(outcome.failure->description()));
    case IpSetupOutcome::Kind::UnknownHost:
        return finish(
            ExitCode::BadInput,
            QStringLiteral("Uknown Host: %1. Please enter new address.").arg(outcome.detail));
    case IpSetupOutcome::Kind::SocketFailed:
        return finish(ExitCode::Environment,
                      QStringLiteral("Could not create socket. (%1)").arg(outcome.detail));
    }
    output().line(
        QStringLiteral("IP-SETUP sent for %1 to the broadcast of %2").arg(hardware, address));
    if (invocation().noConfirm)
        return finish(ExitCode::Done);
    output().note(QStringLiteral("Confirming by ping..."));
}
