#include "cli/AssignCommand.h"

#include "cli/CliOutput.h"
#include "cli/ExitCode.h"
#include "core/commission/EndingCheck.h"
#include "core/device/AddressAssignment.h"
#include "core/device/AddressHolders.h"
#include "core/device/AddressText.h"
#include "core/host/Diagnosis.h"
#include "core/net/PingSeries.h"
#include "core/net/UdpSocketControl.h"
#include "core/session/EngineOptions.h"
#include "core/support/AddressChecks.h"
#include "core/support/Failure.h"
#include "core/support/SharedMessages.h"

#include <QHostAddress>
#include <QJsonArray>
#include <QJsonValue>

namespace {
QString conversionFailed(const Failure &failure)
{
    return QStringLiteral("%1: Error %2: %3")
        .arg(kFailedInConnectingLine)
        .arg(failure.number())
        .arg(failure.description());
}
} // namespace

AssignCommand::AssignCommand(AppContext &context, CliOutput &output, QObject *parent)
    : CliCommand(context, output, parent)
{
    for (const char *field : {"address", "hardwareAddress", "answeredBefore", "confirmed"})
        result().insert(QLatin1String(field), QJsonValue());
    result().insert(QStringLiteral("holders"), QJsonArray());
    for (const char *count : {"echoes", "replies", "timeouts"})
        result().insert(QLatin1String(count), 0);
}

CommandDeclaration AssignCommand::declaration()
{
    return Declare<AssignCommand>(
               QStringLiteral("assign"), {QStringLiteral("IP"), QStringLiteral("HW")},
               QStringLiteral(
                   "Give the device with hardware address HW (as 02-00-00-14-01-18) the address "
                   "IP,\n"
                   "then confirm it by ping (two replies of four echo requests) and prove it by\n"
                   "the query: HW alone answers at IP. Refused when IP answers a ping already\n"
                   "(--force goes on) or another device's hardware address ends in HW's last\n"
                   "two bytes (IP-SETUP would move it too)."))
        .flag({QStringLiteral("--no-confirm")}, &AssignCommand::m_noConfirm,
              QStringLiteral("send the IP-SETUP datagram and end: no confirmation, no proof"))
        .flag({QStringLiteral("--force")}, &AssignCommand::m_force,
              QStringLiteral("go on when IP answers a ping already"));
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
    const QString typed = operand(0);
    const std::optional<quint32> value = checkedNewAddress(typed);
    if (!value)
        return;
    const QString address = QHostAddress(*value).toString();
    result().insert(QStringLiteral("address"), address);
    if (IsWrongHardwareAddress(*context().prompts, operand(1)))
        return finish(ExitCode::BadInput);
    const QString hardware = upperCaseHardwareText(operand(1));
    result().insert(QStringLiteral("hardwareAddress"), hardware);

    // An address the datagram cannot carry is refused before the probe.
    try {
        IpTextToBytes(typed);
    } catch (const Failure &failure) {
        return finish(ExitCode::BadInput, conversionFailed(failure));
    }
    m_address = address;
    m_value = *value;
    const QString normal = normalHardwareAddress(hardware);
    m_hardware = normal.isEmpty() ? hardware : normal;

    // Where no interface's subnet holds the address, its IP-SETUP broadcast
    // would leave by the default route, if any, and reach no device.
    const QHostAddress dotted = parseDottedAddress(m_address);
    const QList<LocalInterface> interfaces = localInterfaces();
    if (!dotted.isNull() && !subnetHolding(interfaces, dotted)) {
        QStringList problems;
        for (const Diagnosis::Finding &finding : Diagnosis::newAddress(interfaces, dotted, {}))
            if (finding.severity == Diagnosis::Finding::Severity::Problem)
                problems.append(finding.text);
        return finish(ExitCode::Environment, problems.join(QLatin1Char(' ')));
    }
    probe();
}

void AssignCommand::probe()
{
    m_probe = new PingSeries(probePingOptions(context()), this);
    connect(m_probe, &PingSeries::finished, this, [this](bool answered) {
        result().insert(QStringLiteral("answeredBefore"), answered);
        if (answered && !m_force)
            return finish(ExitCode::BadInput,
                          QStringLiteral("%1 already answers a ping: another host holds it, and "
                                         "the confirmation pings would count its replies. "
                                         "Nothing was sent; give --force to assign it all the "
                                         "same")
                              .arg(m_address));
        if (answered)
            output().note(
                QStringLiteral("%1 already answers a ping; going on (--force)").arg(m_address));
        lookForEndings();
    });
    try {
        m_probe->start(m_address, 1, context().limits.probeEchoes);
    } catch (const Failure &failure) {
        if (!m_force)
            return fail(failure);
        output().note(QStringLiteral("%1 cannot be probed (--force): %2")
                          .arg(m_address, failure.description()));
        lookForEndings();
    }
}

void AssignCommand::lookForEndings()
{
    PlanRow row;
    row.hardwareAddress = m_hardware;
    row.ip = m_address;
    row.address = m_value;
    m_endings = new EndingCheck(this);
    connect(m_endings, &EndingCheck::finished, this, [this] {
        QStringList clashes;
        for (const EndingCheck::Clash &clash : m_endings->clashes())
            clashes.append(clash.text());
        if (!clashes.isEmpty())
            return finish(ExitCode::BadInput, clashes.join(QStringLiteral("; ")) +
                                                  QStringLiteral(". Nothing was sent"));
        send();
    });
    try {
        if (!m_endings->start({row}, discoveryOptions(context())))
            return send();
    } catch (const Failure &failure) {
        return fail(failure);
    }
    output().note(QStringLiteral("Looking on %1 for other devices that end like %2...")
                      .arg(m_endings->interfaces().join(QStringLiteral(", ")), m_hardware));
}

void AssignCommand::send()
{
    const QString typed = operand(0);
    m_assignment = new AddressAssignment(context().ports.query, pingOptions(context()), this);
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
                if (verdict == AssignConfirmation::Verdict::Succeeded)
                    return prove();
                result().insert(QStringLiteral("confirmed"), false);
                finish(ExitCode::DeviceFailed,
                       verdict == AssignConfirmation::Verdict::Failed
                           ? kAssignFailedTitle + QLatin1Char(' ') + kNoResponseText.simplified()
                           : QStringLiteral("Assign IP not confirmed: %1 replies to %2 echo "
                                            "requests")
                                 .arg(m_assignment->replies())
                                 .arg(m_assignment->echoes()));
            });

    IpSetupOutcome outcome;
    try {
        outcome = m_assignment->start(typed, m_hardware, !m_noConfirm);
    } catch (const Failure &failure) {
        output().error(QStringLiteral("The IP-SETUP datagram was sent, but it cannot be "
                                      "confirmed by ping."));
        return fail(failure);
    }
    switch (outcome.kind) {
    case IpSetupOutcome::Kind::Sent:
        break;
    case IpSetupOutcome::Kind::ConversionFailed:
        return finish(ExitCode::BadInput, conversionFailed(*outcome.failure));
    case IpSetupOutcome::Kind::UnknownHost:
        return finish(
            ExitCode::BadInput,
            QStringLiteral("Uknown Host: %1. Please enter new address.").arg(outcome.detail));
    case IpSetupOutcome::Kind::SocketFailed:
        return finish(ExitCode::Environment,
                      QStringLiteral("%1 (%2)").arg(kNoSocketText, outcome.detail));
    }
    output().line(
        QStringLiteral("IP-SETUP sent for %1 to the broadcast of %2").arg(m_hardware, m_address));
    if (m_noConfirm)
        return finish(ExitCode::Done);
    output().note(QStringLiteral("Confirming by ping..."));
}

// The pings prove only that something answers at the address: the device
// query there must find this device, and no other.
void AssignCommand::prove()
{
    m_holders = new AddressHolders(context().ports.query, context().intervals.queryTimeoutMs,
                                   context().intervals.holdersSettleMs, this);
    connect(m_holders, &AddressHolders::finished, this, [this] {
        result().insert(QStringLiteral("holders"),
                        QJsonArray::fromStringList(m_holders->hardwareAddresses()));
        const QString why = holdersProblem(m_address, m_hardware, m_holders->holders());
        result().insert(QStringLiteral("confirmed"), why.isEmpty());
        if (!why.isEmpty())
            return finish(ExitCode::DeviceFailed, QStringLiteral("Assign IP not proven: ") + why);
        output().line(kAssignSucceededText);
        finish(ExitCode::Done);
    });
    try {
        m_holders->start(m_address);
    } catch (const Failure &failure) {
        result().insert(QStringLiteral("confirmed"), false);
        fail(failure);
    }
}
