#include "cli/PingCommand.h"

#include "cli/CliOutput.h"
#include "cli/ExitCode.h"
#include "core/net/PingSeries.h"
#include "core/session/AppContext.h"
#include "core/support/Failure.h"

#include <QJsonArray>
#include <QJsonValue>

namespace {
constexpr int kDataBytes = 32;

// A number as the results box writes it: one leading blank unless negative.
QString spaced(qint64 value)
{
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}
} // namespace

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
    connect(m_series, &PingSeries::replied, this,
            [this](quint16 sequence, quint16 dataBytes, quint32 roundTripMs) {
                output().line(QStringLiteral(" Reply received: bytes=%1, ICMP seq=%2, time=%3ms")
                                  .arg(spaced(dataBytes), spaced(sequence), spaced(roundTripMs)));
                QJsonArray replies = result().value(QStringLiteral("replies")).toArray();
                replies.append(QJsonObject{{QStringLiteral("sequence"), sequence},
                                           {QStringLiteral("bytes"), dataBytes},
                                           {QStringLiteral("timeMs"), qint64(roundTripMs)}});
                result().insert(QStringLiteral("replies"), replies);
            });
    connect(m_series, &PingSeries::timedOut, this, [this] {
        output().line(QStringLiteral("ICMP Request timed out"));
        result().insert(QStringLiteral("timeouts"), m_series->timeouts());
    });
    connect(m_series, &PingSeries::finished, this, [this](bool answered) {
        finish(answered ? ExitCode::Done : ExitCode::DeviceFailed,
               answered ? QString()
                        : QStringLiteral("%1 echo requests to %2 timed out")
                              .arg(m_series->timeouts())
                              .arg(result().value(QStringLiteral("address")).toString()));
    });
    output().line();
    output().line(
        QStringLiteral(" Pinging %1 with%2 bytes of data:").arg(*address, spaced(kDataBytes)));
    output().line();
    try {
        m_series->start(*address, invocation().count, invocation().count);
    } catch (const Failure &failure) {
        fail(failure);
    }
}
