#include "cli/QueryCommand.h"

#include "cli/CliOutput.h"
#include "cli/ExitCode.h"
#include "core/device/DeviceQuery.h"
#include "core/session/AppContext.h"
#include "core/support/Failure.h"
#include "core/support/SharedMessages.h"

#include <QJsonValue>

QueryCommand::QueryCommand(AppContext &context, CliOutput &output, QObject *parent)
    : CliCommand(context, output, parent)
{
    for (const char *field :
         {"address", "hardwareAddress", "firmwareVersion", "firmwareType", "deviceType"})
        result().insert(QLatin1String(field), QJsonValue());
    result().insert(QStringLiteral("answered"), false);
    result().insert(QStringLiteral("replyBytes"), QJsonValue());
}

CommandDeclaration QueryCommand::declaration()
{
    return Declare<QueryCommand>(QStringLiteral("query"), {QStringLiteral("IP")},
                                 QStringLiteral("Read the identity of the device at IP "
                                                "(time-out 10 s)."))
        .seconds({QStringLiteral("--timeout")}, &QueryCommand::m_timeoutMs,
                 QStringLiteral("how long the reply is awaited"));
}

void QueryCommand::start()
{
    const std::optional<QString> address = checkedAddress(operand(0));
    if (!address)
        return;
    m_address = *address;
    result().insert(QStringLiteral("address"), m_address);
    if (!prepare())
        return;
    m_query = new DeviceQuery(context().ports.query,
                              m_timeoutMs.value_or(context().intervals.queryTimeoutMs), this);
    m_query->prepareSocket();
    connect(m_query, &DeviceQuery::replyReceived, this, &QueryCommand::onReply);
    connect(m_query, &DeviceQuery::timedOut, this,
            [this] { finish(ExitCode::DeviceFailed, kQueryTimeoutText); });
    try {
        m_query->startQuery(m_address);
    } catch (const Failure &failure) {
        m_query->SocketCleanup();
        fail(failure);
    }
}

void QueryCommand::onReply(const DecodedReply &identity)
{
    result().insert(QStringLiteral("answered"), true);
    result().insert(QStringLiteral("hardwareAddress"), identity.hardwareAddress);
    result().insert(QStringLiteral("firmwareVersion"), identity.firmwareVersion);
    result().insert(QStringLiteral("firmwareType"), identity.firmwareType);
    result().insert(QStringLiteral("deviceType"), identity.deviceType);
    result().insert(QStringLiteral("replyBytes"), identity.bytesRead);
    output().line(QStringLiteral("IP address:        ") + m_address);
    output().line(QStringLiteral("Hardware address:  ") + identity.hardwareAddress);
    output().line(QStringLiteral("Firmware version:  ") + identity.firmwareVersion);
    output().line(QStringLiteral("Firmware type:     ") + printable(identity.firmwareType));
    output().line(QStringLiteral("Device type:       ") + identity.deviceType);
    // Taken as the reply all the same, as the window does; the empty texts need a reason.
    if (const QString shortReply = shortReplyText(identity); !shortReply.isEmpty())
        output().error(shortReply);
    replied(identity);
}

void QueryCommand::replied(const DecodedReply &)
{
    finish(ExitCode::Done);
}
