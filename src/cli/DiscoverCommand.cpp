#include "cli/DiscoverCommand.h"

#include "cli/CliOutput.h"
#include "cli/ExitCode.h"
#include "core/device/DeviceDiscovery.h"
#include "core/session/EngineOptions.h"
#include "core/support/Failure.h"

#include <QJsonArray>

namespace {
QJsonObject deviceJson(const DiscoveredDevice &device)
{
    return {{QStringLiteral("address"), device.address.toString()},
            {QStringLiteral("hardwareAddress"), device.identity.hardwareAddress},
            {QStringLiteral("firmwareVersion"), device.identity.firmwareVersion},
            {QStringLiteral("firmwareType"), device.identity.firmwareType},
            {QStringLiteral("deviceType"), device.identity.deviceType},
            {QStringLiteral("interfaces"), QJsonArray::fromStringList(device.interfaces)},
            {QStringLiteral("replies"), device.replies},
            {QStringLiteral("firstReplyMs"), device.firstReplyMs},
            {QStringLiteral("conflict"), device.conflict}};
}

QString tableRow(const QStringList &cells)
{
    static const int widths[] = {15, 17, 4, 7, 15};
    QString row;
    for (qsizetype i = 0; i < cells.size(); ++i)
        row += i < qsizetype(std::size(widths))
                   ? cells[i].leftJustified(widths[i]) + QLatin1Char(' ')
                   : cells[i];
    return row.trimmed();
}

QJsonObject interfaceJson(const DiscoveryInterface &interface)
{
    return {{QStringLiteral("name"), interface.name},
            {QStringLiteral("address"), interface.address.toString()},
            {QStringLiteral("destinations"), QJsonArray::fromStringList(interface.destinations)},
            {QStringLiteral("boundToDevice"), interface.boundToDevice},
            {QStringLiteral("receiveBufferBytes"), interface.receiveBufferBytes},
            {QStringLiteral("sendErrors"), QJsonArray::fromStringList(interface.sendErrors)}};
}
} // namespace

CommandDeclaration DiscoverCommand::declaration()
{
    return Declare<DiscoverCommand>(
               QStringLiteral("discover"), {},
               QStringLiteral("Find the devices on the segments of this host: the query is "
                              "broadcast on every\n"
                              "up interface (or those named) and replies are collected for 2 s."))
        .names({QStringLiteral("--interface")}, QStringLiteral("NAME"),
               QStringLiteral("an interface name"), &DiscoverCommand::m_interfaceNames,
               QStringLiteral("only this interface; repeated, or names separated by commas"))
        .seconds({QStringLiteral("--timeout")}, &DiscoverCommand::m_timeoutMs,
                 QStringLiteral("how long replies are collected"));
}

void DiscoverCommand::start()
{
    result().insert(QStringLiteral("timeoutMs"),
                    m_timeoutMs.value_or(context().intervals.discoveryTimeoutMs));
    for (const char *list : {"interfaces", "devices", "conflicts"})
        result().insert(QLatin1String(list), QJsonArray());
    for (const char *count : {"repliesReceived", "repliesIgnored", "lastReplyMs"})
        result().insert(QLatin1String(count), 0);
    DiscoveryOptions options = discoveryOptions(context());
    options.timeoutMs = m_timeoutMs.value_or(options.timeoutMs);
    options.interfaceNames = m_interfaceNames;
    m_discovery = new DeviceDiscovery(this);
    connect(m_discovery, &DeviceDiscovery::finished, this, &DiscoverCommand::report);
    try {
        m_discovery->start(options);
    } catch (const Failure &failure) {
        return fail(failure);
    }
    QStringList names;
    for (const DiscoveryInterface &interface : m_discovery->interfaces()) {
        names.append(interface.name);
        for (const QString &error : interface.sendErrors)
            output().error(QStringLiteral("The query could not go out of %1 to %2")
                               .arg(interface.name, error));
    }
    output().note(QStringLiteral("Looking for devices on %1 for %2 s...")
                      .arg(names.join(QStringLiteral(", ")))
                      .arg(options.timeoutMs / 1000.0));
}

void DiscoverCommand::report()
{
    const DiscoveryTally &tally = m_discovery->tally();
    const QList<DiscoveredDevice> devices = tally.devices();
    const QList<AddressConflict> conflicts = tally.conflicts();

    QJsonArray interfaces;
    for (const DiscoveryInterface &interface : m_discovery->interfaces())
        interfaces.append(interfaceJson(interface));
    QJsonArray deviceList;
    for (const DiscoveredDevice &device : devices)
        deviceList.append(deviceJson(device));
    QJsonArray conflictList;
    for (const AddressConflict &conflict : conflicts)
        conflictList.append(QJsonObject{{QStringLiteral("address"), conflict.address.toString()},
                                        {QStringLiteral("hardwareAddresses"),
                                         QJsonArray::fromStringList(conflict.hardwareAddresses)}});
    result().insert(QStringLiteral("interfaces"), interfaces);
    result().insert(QStringLiteral("devices"), deviceList);
    result().insert(QStringLiteral("conflicts"), conflictList);
    result().insert(QStringLiteral("repliesReceived"), tally.repliesTaken());
    result().insert(QStringLiteral("repliesIgnored"), tally.repliesIgnored());
    result().insert(QStringLiteral("lastReplyMs"), tally.lastReplyMs());

    if (devices.isEmpty())
        return finish(ExitCode::DeviceFailed, QStringLiteral("No device answered"));
    output().line(tableRow({QStringLiteral("ADDRESS"), QStringLiteral("HARDWARE ADDRESS"),
                            QStringLiteral("TYPE"), QStringLiteral("VERSION"),
                            QStringLiteral("INTERFACE"), QStringLiteral("DEVICE TYPE")}));
    for (const DiscoveredDevice &device : devices)
        output().line(
            tableRow({device.address.toString(), device.identity.hardwareAddress,
                      printable(device.identity.firmwareType), device.identity.firmwareVersion,
                      device.interfaces.join(QLatin1Char(',')),
                      device.identity.deviceType +
                          (device.conflict ? QStringLiteral("  CONFLICT") : QString())}));
    for (const AddressConflict &conflict : conflicts)
        output().line(QStringLiteral("Conflict: %1 is answered by %2")
                          .arg(conflict.address.toString(),
                               conflict.hardwareAddresses.join(QStringLiteral(" and "))));
    output().note(QStringLiteral("%1 device(s) found, %2 replies")
                      .arg(devices.size())
                      .arg(tally.repliesTaken()));
    finish(ExitCode::Done);
}
