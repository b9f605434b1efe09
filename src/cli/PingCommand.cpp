#include "cli/PingCommand.h"

#include "cli/CliOutput.h"
#include "cli/ExitCode.h"
#include "core/net/PingSeries.h"
#include "core/session/AppContext.h"
#include "core/support/Failure.h"

#include <QJsonArray>
#include <QJsonValue>

PingCommand::PingCommand(AppContext &context, const Invocation &invocation, CliOutput &output,
                         QObject *parent)
    : CliCommand(context, invocation, output, parent)
{
    result().insert(QStringLiteral("address"), QJsonValue());
    result().insert(QStringLiteral("count"), invocation.count);
    result().insert(QStringLiteral("replies"), QJsonArray());
    result().insert(QStringLiteral("timeouts"), 0);
}

void PingCommand::start()
{
    const std::optional<QString> address = checkedAddress(invocation().operands.at(0));
    if (!address)
        return;
    result().insert(QStringLiteral("address"), *address);
    m_series =
        new PingSeries(context().intervals.pingFirstMs, context().intervals.pingSecondMs, this);
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
        m_series->start(*address, invocation().count, invocation().count);
    } catch (const Failure &failure) {
        fail(failure);
    }
}
