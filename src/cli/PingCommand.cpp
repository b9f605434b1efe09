#include "cli/PingCommand.h"

#include "cli/CliOutput.h"
#include "cli/ExitCode.h"
#include "core/net/PingSeries.h"
#include "core/session/EngineOptions.h"
#include "core/support/Failure.h"

#include <QJsonArray>
#include <QJsonValue>

PingCommand::PingCommand(AppContext &context, CliOutput &output, QObject *parent)
    : CliCommand(context, output, parent), m_count(context.limits.pingDeviceLimit)
{
    result().insert(QStringLiteral("address"), QJsonValue());
    result().insert(QStringLiteral("replies"), QJsonArray());
    result().insert(QStringLiteral("timeouts"), 0);
}

CommandDeclaration PingCommand::declaration()
{
    return Declare<PingCommand>(QStringLiteral("ping"), {QStringLiteral("IP")},
                                QStringLiteral("Ping IP until N replies or N time-outs (N = 4)."))
        .count({QStringLiteral("-c"), QStringLiteral("--count")}, QStringLiteral("N"), 1, 10000,
               &PingCommand::m_count, QStringLiteral("the replies, or time-outs, that end it"));
}

void PingCommand::start()
{
    result().insert(QStringLiteral("count"), m_count);
    const std::optional<QString> address = checkedAddress(operand(0));
    if (!address)
        return;
    result().insert(QStringLiteral("address"), *address);
    m_series = new PingSeries(pingOptions(context()), this);
    connect(m_series, &PingSeries::reported, this,
            [this](const QString &text) { output().text(text); });
    connect(m_series, &PingSeries::replied, this,
            [this](quint16 sequence, quint16 dataBytes, quint32 roundTripMs) {
                QJsonArray replies = result().value(QStringLiteral("replies")).toArray();
                replies.append(QJsonObject{{QStringLiteral("sequence"), sequence},
                                           {QStringLiteral("bytes"), dataBytes},
                                           {QStringLiteral("timeMs"), qint64(roundTripMs)}});
                result().insert(QStringLiteral("replies"), replies);
            });
    connect(m_series, &PingSeries::timedOut, this,
            [this] { result().insert(QStringLiteral("timeouts"), m_series->timeouts()); });
    connect(m_series, &PingSeries::finished, this, [this](bool answered) {
        finish(answered ? ExitCode::Done : ExitCode::DeviceFailed,
               answered ? QString()
                        : QStringLiteral("%1 echo requests to %2 timed out")
                              .arg(m_series->timeouts())
                              .arg(result().value(QStringLiteral("address")).toString()));
    });
    try {
        m_series->start(*address, m_count, m_count);
    } catch (const Failure &failure) {
        fail(failure);
    }
}
