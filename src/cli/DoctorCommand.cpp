#include "cli/DoctorCommand.h"

#include "cli/CliOutput.h"
#include "cli/ExitCode.h"
#include "core/device/DeviceQuery.h"
#include "core/net/PingSeries.h"
#include "core/net/UdpSocketControl.h"
#include "core/session/EngineOptions.h"
#include "core/support/Failure.h"

#include <QJsonArray>
#include <QJsonValue>

namespace {
QJsonValue optionalBool(std::optional<bool> value)
{
    return value ? QJsonValue(*value) : QJsonValue();
}

QJsonObject subnetJson(const QList<LocalInterface> &all, const QHostAddress &address)
{
    const std::optional<SubnetMatch> match = subnetHolding(all, address);
    return {
        {QStringLiteral("address"), address.toString()},
        {QStringLiteral("subnet"), match ? QJsonValue(match->entry.subnetText()) : QJsonValue()},
        {QStringLiteral("interface"), match ? QJsonValue(match->interface.name) : QJsonValue()}};
}
} // namespace

DoctorCommand::DoctorCommand(AppContext &context, CliOutput &output, QObject *parent)
    : CliCommand(context, output, parent)
{
    for (const char *field : {"icmp", "firewall", "newAddress", "device"})
        result().insert(QLatin1String(field), QJsonValue());
    result().insert(QStringLiteral("interfaces"), QJsonArray());
    result().insert(QStringLiteral("findings"), QJsonArray());
}

CommandDeclaration DoctorCommand::declaration()
{
    return Declare<DoctorCommand>(
               QStringLiteral("doctor"), {},
               QStringLiteral(
                   "Say why a device may not be found or reached: interfaces and subnets, a new\n"
                   "address outside them or already in use, ICMP permission, firewall rules."))
        .text({QStringLiteral("--new-address")}, QStringLiteral("IP"), &DoctorCommand::m_newAddress,
              QStringLiteral("an address a device is to be given: its subnet, and whether "
                             "something answers it already"))
        .text({QStringLiteral("--device")}, QStringLiteral("IP"), &DoctorCommand::m_device,
              QStringLiteral("a device's address: its subnet, and whether it answers pings and "
                             "the query"))
        .seconds({QStringLiteral("--timeout")}, &DoctorCommand::m_timeoutMs,
                 QStringLiteral("how long the device's reply to the query is awaited"));
}

void DoctorCommand::add(const QList<Diagnosis::Finding> &findings)
{
    m_findings += findings;
}

void DoctorCommand::start()
{
    // Addresses first: bad input ends the command before anything is sent.
    std::optional<QHostAddress> newAddress;
    std::optional<QHostAddress> device;
    // A new address is held to the rule that assign keeps.
    if (const QString &text = m_newAddress; !text.isEmpty()) {
        const std::optional<quint32> value = checkedNewAddress(text);
        if (!value)
            return;
        newAddress = QHostAddress(*value);
    }
    if (const QString &text = m_device; !text.isEmpty()) {
        const std::optional<QString> checked = checkedAddress(text);
        if (!checked)
            return;
        const QHostAddress address = parseDottedAddress(*checked);
        if (address.isNull())
            return finish(ExitCode::BadInput,
                          QStringLiteral("\"%1\" is not an IP address").arg(text));
        device = address;
    }

    m_interfaces = localInterfaces();
    QJsonArray interfaces;
    output().line(QStringLiteral("Interfaces:"));
    for (const LocalInterface &interface : std::as_const(m_interfaces)) {
        QJsonArray addresses;
        QStringList texts;
        for (const InterfaceAddress &entry : interface.ipv4) {
            addresses.append(
                QJsonObject{{QStringLiteral("address"), entry.address.toString()},
                            {QStringLiteral("prefixLength"), entry.prefixLength},
                            {QStringLiteral("subnet"), entry.subnetText()},
                            {QStringLiteral("broadcast"),
                             entry.broadcast.isNull() ? QJsonValue()
                                                      : QJsonValue(entry.broadcast.toString())}});
            texts.append(
                QStringLiteral("%1/%2").arg(entry.address.toString()).arg(entry.prefixLength));
        }
        interfaces.append(QJsonObject{{QStringLiteral("name"), interface.name},
                                      {QStringLiteral("up"), interface.up},
                                      {QStringLiteral("loopback"), interface.loopback},
                                      {QStringLiteral("canBroadcast"), interface.canBroadcast},
                                      {QStringLiteral("addresses"), addresses}});
        output().line(
            QStringLiteral("  %1 %2 %3")
                .arg(
                    interface.name.leftJustified(15),
                    (interface.up ? QStringLiteral("up") : QStringLiteral("down")).leftJustified(5),
                    texts.isEmpty() ? QStringLiteral("no IPv4 address")
                                    : texts.join(QStringLiteral(", "))));
    }
    result().insert(QStringLiteral("interfaces"), interfaces);
    add(Diagnosis::interfaces(m_interfaces));

    const IcmpAvailability icmp = probeIcmp();
    m_canPing = icmp.usable();
    result().insert(QStringLiteral("icmp"),
                    QJsonObject{{QStringLiteral("datagram"), icmp.datagram},
                                {QStringLiteral("raw"), icmp.raw},
                                {QStringLiteral("pingGroupRange"), icmp.pingGroupRange},
                                {QStringLiteral("groupInRange"), icmp.groupInRange}});
    add(Diagnosis::icmp(icmp));

    const FirewallCheck firewall = checkFirewall({context().ports.query, context().ports.tftp},
                                                 context().intervals.firewallListMs);
    QJsonArray rules;
    for (const FirewallFinding &finding : firewall.findings)
        rules.append(QJsonObject{{QStringLiteral("table"), finding.table},
                                 {QStringLiteral("chain"), finding.chain},
                                 {QStringLiteral("rule"), finding.rule},
                                 {QStringLiteral("what"), finding.what}});
    result().insert(QStringLiteral("firewall"),
                    QJsonObject{{QStringLiteral("checked"), firewall.checked},
                                {QStringLiteral("reason"),
                                 firewall.checked ? QJsonValue() : QJsonValue(firewall.reason)},
                                {QStringLiteral("rules"), rules}});
    add(Diagnosis::firewall(firewall));

    if (newAddress)
        m_steps.append([this, address = *newAddress] { checkNewAddress(address); });
    if (device)
        m_steps.append([this, address = *device] { checkDevice(address); });
    m_steps.append([this] { report(); });
    next();
}

void DoctorCommand::next()
{
    // Through the event loop: a step ends inside the signal of the ping or
    // query it used, which the next step may replace.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_steps.isEmpty())
                m_steps.takeFirst()();
        },
        Qt::QueuedConnection);
}

void DoctorCommand::ping(const QHostAddress &address, std::function<void(std::optional<bool>)> done)
{
    if (!m_canPing)
        return done(std::nullopt);
    if (m_ping)
        m_ping->deleteLater();
    // One answer is enough; a second request covers a first one lost to
    // address resolution.
    m_ping = new PingSeries(probePingOptions(context()), this);
    connect(m_ping, &PingSeries::finished, this, [done](bool answered) { done(answered); });
    try {
        m_ping->start(address.toString(), 1, context().limits.probeEchoes);
    } catch (const Failure &) {
        done(std::nullopt);
    }
}

void DoctorCommand::checkNewAddress(const QHostAddress &address)
{
    const auto conclude = [this, address](std::optional<bool> answered) {
        QJsonObject entry = subnetJson(m_interfaces, address);
        entry.insert(QStringLiteral("ipSetupDestination"),
                     Diagnosis::ipSetupDestination(address).toString());
        entry.insert(QStringLiteral("answersPing"), optionalBool(answered));
        result().insert(QStringLiteral("newAddress"), entry);
        add(Diagnosis::newAddress(m_interfaces, address, answered));
        next();
    };
    // Only something on one of these segments could conflict with it.
    if (subnetHolding(m_interfaces, address))
        ping(address, conclude);
    else
        conclude(std::nullopt);
}

void DoctorCommand::checkDevice(const QHostAddress &address)
{
    ping(address, [this, address](std::optional<bool> answersPing) {
        m_query =
            new DeviceQuery(context().ports.query,
                            m_timeoutMs.value_or(context().intervals.quickQueryTimeoutMs), this);
        m_query->prepareSocket();
        auto conclude = [this, address, answersPing](std::optional<bool> answersQuery,
                                                     const QString &hardwareAddress) {
            QJsonObject entry = subnetJson(m_interfaces, address);
            entry.insert(QStringLiteral("answersPing"), optionalBool(answersPing));
            entry.insert(QStringLiteral("answersQuery"), optionalBool(answersQuery));
            entry.insert(QStringLiteral("hardwareAddress"),
                         hardwareAddress.isEmpty() ? QJsonValue() : QJsonValue(hardwareAddress));
            result().insert(QStringLiteral("device"), entry);
            add(Diagnosis::device(m_interfaces, address, context().ports.query, answersPing,
                                  answersQuery));
            next();
        };
        connect(
            m_query, &DeviceQuery::replyReceived, this,
            [conclude](const DecodedReply &identity) { conclude(true, identity.hardwareAddress); });
        connect(m_query, &DeviceQuery::timedOut, this, [conclude] { conclude(false, {}); });
        try {
            m_query->startQuery(address.toString());
        } catch (const Failure &) {
            m_query->SocketCleanup();
            conclude(std::nullopt, {});
        }
    });
}

void DoctorCommand::report()
{
    QJsonArray findings;
    QStringList problems;
    output().line();
    for (const Diagnosis::Finding &finding : std::as_const(m_findings)) {
        const QString severity = Diagnosis::severityName(finding.severity);
        if (finding.severity == Diagnosis::Finding::Severity::Problem)
            problems.append(finding.text);
        findings.append(QJsonObject{{QStringLiteral("severity"), severity},
                                    {QStringLiteral("text"), finding.text}});
        output().line(QStringLiteral("[%1] %2").arg(severity, finding.text));
    }
    result().insert(QStringLiteral("findings"), findings);
    // The problems are the reason for the exit status, so they are the error too.
    if (problems.isEmpty())
        return finish(ExitCode::Done);
    finish(ExitCode::DeviceFailed,
           QStringLiteral("Problems found: ") + problems.join(QStringLiteral("; ")));
}
