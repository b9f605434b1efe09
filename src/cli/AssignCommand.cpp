#include "cli/AssignCommand.h"

#include "cli/CliOutput.h"
#include "cli/ExitCode.h"
#include "core/commission/EndingCheck.h"
#include "core/device/AddressAssignment.h"
#include "core/device/AddressHolders.h"
#include "core/device/AddressProbe.h"
#include "core/device/AddressText.h"
#include "core/device/QueryPoll.h"
#include "core/host/Diagnosis.h"
#include "core/net/UdpSocketControl.h"
#include "core/session/EngineOptions.h"
#include "core/support/AddressChecks.h"
#include "core/support/Failure.h"
#include "core/support/SharedMessages.h"
#include "core/support/ShownText.h"

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
    for (const char *field :
         {"address", "hardwareAddress", "answeredBefore", "confirmed", "confirmation"})
        result().insert(QLatin1String(field), QJsonValue());
    result().insert(QStringLiteral("holders"), QJsonArray());
    for (const char *count : {"polls", "echoes", "replies", "timeouts"})
        result().insert(QLatin1String(count), 0);
}

CommandDeclaration AssignCommand::declaration()
{
    return Declare<AssignCommand>(
               QStringLiteral("assign"), {QStringLiteral("IP"), QStringLiteral("HW")},
               QStringLiteral(
                   "Give the device with hardware address HW (as 02-00-00-14-01-18) the address "
                   "IP,\n"
                   "then confirm it: the device query at IP, repeated until HW answers there\n"
                   "alone. Refused when IP is in use already (--force goes on) or another\n"
                   "device's hardware address ends in HW's last two bytes (IP-SETUP would move\n"
                   "it too)."))
        .text({QStringLiteral("--confirm")}, QStringLiteral("query|ping"),
              &AssignCommand::m_confirm,
              QStringLiteral("how the new address is confirmed: by the device query (the "
                             "default), or by ping (two replies of four echo requests), then "
                             "the query once"))
        .flag({QStringLiteral("--no-confirm")}, &AssignCommand::m_noConfirm,
              QStringLiteral("send the IP-SETUP datagram and end: no confirmation, no proof"))
        .flag({QStringLiteral("--force")}, &AssignCommand::m_force,
              QStringLiteral("go on when IP is in use already"));
}

void AssignCommand::counted()
{
    result().insert(QStringLiteral("echoes"), qint64(m_assignment->echoes()));
    result().insert(QStringLiteral("replies"), qint64(m_assignment->replies()));
    result().insert(QStringLiteral("timeouts"), m_assignment->timeouts());
}

void AssignCommand::start()
{
    // The datagram carries the address as typed; the confirmation goes to the trimmed one.
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
    if (m_confirm != QLatin1String("query") && m_confirm != QLatin1String("ping"))
        return finish(
            ExitCode::BadInput,
            QStringLiteral("--confirm takes query or ping, not \"%1\"").arg(shownText(m_confirm)));

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
    m_probe = new AddressProbe(addressProbeOptions(context()), this);
    connect(m_probe, &AddressProbe::finished, this, [this] {
        const bool inUse = m_probe->finding() != AddressProbe::Finding::Free;
        result().insert(QStringLiteral("answeredBefore"), inUse);
        const QString who = m_probe->finding() == AddressProbe::Finding::Planned
                                ? QStringLiteral("%1 answers there").arg(m_hardware)
                                : m_probe->problem();
        if (inUse && !m_force)
            return finish(ExitCode::BadInput,
                          QStringLiteral("%1 is in use already (%2). Nothing was sent; give "
                                         "--force to assign it all the same")
                              .arg(m_address, who));
        if (inUse)
            output().note(QStringLiteral("%1 is in use already (%2); going on (--force)")
                              .arg(m_address, who));
        lookForEndings();
    });
    try {
        m_probe->start(m_address, m_hardware);
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

    const bool byPing = !m_noConfirm && m_confirm == QLatin1String("ping");
    if (!m_noConfirm)
        result().insert(QStringLiteral("confirmation"), m_confirm);
    IpSetupOutcome outcome;
    try {
        outcome = m_assignment->start(typed, m_hardware, byPing);
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
    if (!byPing)
        return confirmByQuery();
    output().note(QStringLiteral("Confirming by ping..."));
}

void AssignCommand::confirmByQuery()
{
    output().note(QStringLiteral("Confirming by the device query..."));
    m_poll = new QueryPoll(assignConfirmOptions(context()), this);
    connect(m_poll, &QueryPoll::finished, this, [this] {
        QStringList holders;
        for (const DecodedReply &holder : m_poll->holders())
            holders.append(holder.hardwareAddress);
        result().insert(QStringLiteral("holders"), QJsonArray::fromStringList(holders));
        result().insert(QStringLiteral("polls"), m_poll->polls());
        result().insert(QStringLiteral("confirmed"), m_poll->confirmed());
        if (!m_poll->confirmed())
            return notConfirmed(
                QStringLiteral("%1 (%2 queries)").arg(m_poll->problem()).arg(m_poll->polls()),
                !holders.isEmpty());
        output().line(kAssignSucceededText);
        finish(ExitCode::Done);
    });
    try {
        m_poll->start(m_address, m_hardware);
    } catch (const Failure &failure) {
        result().insert(QStringLiteral("confirmed"), false);
        output().error(QStringLiteral("The IP-SETUP datagram was sent, but it cannot be "
                                      "confirmed by the device query."));
        fail(failure);
    }
}

void AssignCommand::notConfirmed(const QString &why, bool anyAnswer)
{
    // Silence at the address is the window's "no response"; anything else is named.
    finish(ExitCode::DeviceFailed, anyAnswer ? QStringLiteral("Assign IP not proven: ") + why
                                             : kAssignFailedTitle + QLatin1Char(' ') +
                                                   kNoResponseText.simplified() +
                                                   QStringLiteral(" (") + why + QLatin1Char(')'));
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
