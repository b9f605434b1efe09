#include "core/commission/DeviceCommissioning.h"

#include "core/datafile/DataFile.h"
#include "core/device/AddressAssignment.h"
#include "core/device/AddressHolders.h"
#include "core/device/DeviceQuery.h"
#include "core/device/IpSetupPacer.h"
#include "core/net/PingSeries.h"
#include "core/support/Failure.h"
#include "core/support/SharedMessages.h"

namespace {
QString failureText(const Failure &failure)
{
    return QStringLiteral("Error %1: %2").arg(failure.number()).arg(failure.description());
}

bool sameVersion(const QString &read, const QString &planned)
{
    return read.trimmed().compare(planned.trimmed(), Qt::CaseInsensitive) == 0;
}
} // namespace

QString stepName(CommissionStep step)
{
    switch (step) {
    case CommissionStep::Probe:
        return QStringLiteral("probe");
    case CommissionStep::Assign:
        return QStringLiteral("assign");
    case CommissionStep::Verify:
        return QStringLiteral("verify");
    case CommissionStep::Firmware:
        return QStringLiteral("firmware");
    case CommissionStep::WebPages:
        return QStringLiteral("web pages");
    case CommissionStep::Record:
        return QStringLiteral("record");
    }
    return {};
}

QString outcomeText(const CommissionResult &result)
{
    switch (result.outcome) {
    case CommissionResult::Outcome::NotStarted:
        return QStringLiteral("not started");
    case CommissionResult::Outcome::Done:
        return QStringLiteral("done");
    case CommissionResult::Outcome::AlreadyDone:
        return QStringLiteral("already done");
    case CommissionResult::Outcome::Failed:
        return QStringLiteral("failed at ") + stepName(result.step);
    }
    return {};
}

DeviceCommissioning::DeviceCommissioning(const PlanRow &row, const CommissionSettings &settings,
                                         QObject *parent)
    : QObject(parent), m_row(row), m_settings(settings)
{
}

DeviceCommissioning::~DeviceCommissioning() = default;

void DeviceCommissioning::start()
{
    m_clock.start();
    next(CommissionStep::Probe);
}

void DeviceCommissioning::next(CommissionStep step)
{
    QMetaObject::invokeMethod(
        this,
        [this, step] {
            if (m_ended)
                return;
            switch (step) {
            case CommissionStep::Probe:
                return probe();
            case CommissionStep::Assign:
                return assign();
            case CommissionStep::Verify:
                return verify();
            case CommissionStep::Firmware:
                return upgradeFirmware();
            case CommissionStep::WebPages:
                return uploadWebPages();
            case CommissionStep::Record:
                return record();
            }
        },
        Qt::QueuedConnection);
}

void DeviceCommissioning::enter(CommissionStep step)
{
    m_step = step;
    Q_EMIT stepStarted(step);
}

void DeviceCommissioning::query(std::function<void(const DecodedReply &)> onReply,
                                std::function<void()> onTimeout)
{
    if (!m_query) {
        m_query = new DeviceQuery(m_settings.queryPort, m_settings.queryTimeoutMs, this);
        m_query->prepareSocket();
        connect(m_query, &DeviceQuery::replyReceived, this, [this](const DecodedReply &reply) {
            if (m_ended)
                return;
            m_result.identity = reply;
            if (m_onReply)
                m_onReply(reply);
        });
        connect(m_query, &DeviceQuery::timedOut, this, [this] {
            if (!m_ended && m_onTimeout)
                m_onTimeout();
        });
    }
    m_onReply = std::move(onReply);
    m_onTimeout = std::move(onTimeout);
    try {
        m_query->startQuery(m_row.ip);
    } catch (const Failure &failure) {
        m_query->SocketCleanup();
        fail(QStringLiteral("the device query cannot be sent: ") + failureText(failure));
    }
}

void DeviceCommissioning::askHolders(std::function<void(const QList<DecodedReply> &)> then)
{
    if (!m_holders) {
        m_holders = new AddressHolders(m_settings.queryPort, m_settings.queryTimeoutMs,
                                       m_settings.holdersSettleMs, this);
        connect(m_holders, &AddressHolders::finished, this, [this] {
            if (m_ended)
                return;
            const QList<DecodedReply> &holders = m_holders->holders();
            const auto mine = std::find_if(holders.cbegin(), holders.cend(), [this](const auto &h) {
                return h.hardwareAddress == m_row.hardwareAddress;
            });
            if (mine != holders.cend())
                m_result.identity = *mine;
            else if (!holders.isEmpty())
                m_result.identity = holders.first();
            m_onHolders(holders);
        });
    }
    m_onHolders = std::move(then);
    try {
        m_holders->start(m_row.ip);
    } catch (const Failure &failure) {
        fail(QStringLiteral("the device query cannot be sent: ") + failureText(failure));
    }
}

void DeviceCommissioning::probe()
{
    enter(CommissionStep::Probe);
    // No pause: a device that holds the address answers the first request.
    m_probe = new PingSeries({m_settings.pingDataBytes, m_settings.pingFirstMs, 0}, this);
    connect(m_probe, &PingSeries::finished, this, [this](bool answered) {
        if (m_ended)
            return;
        if (!answered)
            return next(CommissionStep::Assign);
        askHolders([this](const QList<DecodedReply> &holders) {
            if (holders.isEmpty())
                return fail(QStringLiteral("address in use by a host that does not answer the "
                                           "device query"));
            QStringList others;
            for (const DecodedReply &holder : holders)
                if (holder.hardwareAddress != m_row.hardwareAddress)
                    others.append(holder.hardwareAddress);
            if (!others.isEmpty())
                return fail(QStringLiteral("address in use by HW %1")
                                .arg(others.join(QStringLiteral(" and "))));
            m_alreadyThere = true;
            next(CommissionStep::Firmware);
        });
    });
    try {
        m_probe->start(m_row.ip, 1, m_settings.probeEchoes);
    } catch (const Failure &failure) {
        fail(QStringLiteral("cannot ping: ") + failureText(failure));
    }
}

void DeviceCommissioning::assign()
{
    enter(CommissionStep::Assign);
    m_assignment = new AddressAssignment(m_settings.queryPort, pings(), this);
    connect(m_assignment, &AddressAssignment::finished, this,
            [this](AssignConfirmation::Verdict verdict) {
                if (verdict == AssignConfirmation::Verdict::Succeeded)
                    return next(CommissionStep::Verify);
                fail(QStringLiteral("the new address was not confirmed: %1 replies to %2 echo "
                                    "requests")
                         .arg(m_assignment->replies())
                         .arg(m_assignment->echoes()));
            });
    // The run's devices share one pace of broadcasts.
    if (m_settings.ipSetupPacer)
        return m_settings.ipSetupPacer->enqueue(this, [this] { sendIpSetup(); });
    sendIpSetup();
}

void DeviceCommissioning::sendIpSetup()
{
    IpSetupOutcome outcome;
    try {
        outcome = m_assignment->start(m_row.ip, m_row.hardwareAddress, true);
    } catch (const Failure &failure) {
        return fail(QStringLiteral("IP-SETUP sent, but it cannot be confirmed by ping: ") +
                    failureText(failure));
    }
    switch (outcome.kind) {
    case IpSetupOutcome::Kind::Sent:
        return;
    case IpSetupOutcome::Kind::ConversionFailed:
        return fail(QStringLiteral("IP-SETUP not sent: ") + failureText(*outcome.failure));
    case IpSetupOutcome::Kind::UnknownHost:
    case IpSetupOutcome::Kind::SocketFailed:
        return fail(QStringLiteral("IP-SETUP not sent: ") + outcome.detail);
    }
}

void DeviceCommissioning::verify()
{
    enter(CommissionStep::Verify);
    // Another device ending like this one, missed by the search before the
    // run, took the address too: only this device alone there proves the step.
    askHolders([this](const QList<DecodedReply> &holders) {
        if (const QString why = holdersProblem(m_row.ip, m_row.hardwareAddress, holders);
            !why.isEmpty())
            return fail(why);
        next(CommissionStep::Firmware);
    });
}

void DeviceCommissioning::upgradeFirmware()
{
    const QString version = m_result.identity ? m_result.identity->firmwareVersion : QString();
    if (m_row.firmware.isEmpty() || sameVersion(version, m_row.firmwareVersion))
        return next(CommissionStep::WebPages);
    enter(CommissionStep::Firmware);
    m_alreadyThere = false;
    upload(m_row.firmwareDeviceFile, m_row.firmware, [this](const DecodedReply &reply) {
        if (!sameVersion(reply.firmwareVersion, m_row.firmwareVersion))
            return fail(QStringLiteral("firmware version %1 after the upgrade, not %2")
                            .arg(reply.firmwareVersion.trimmed(), m_row.firmwareVersion));
        next(CommissionStep::WebPages);
    });
}

void DeviceCommissioning::uploadWebPages()
{
    if (m_row.webPages.isEmpty())
        return next(CommissionStep::Record);
    enter(CommissionStep::WebPages);
    m_alreadyThere = false;
    upload(m_row.webDestination, m_row.webPages,
           [this](const DecodedReply &) { next(CommissionStep::Record); });
}

void DeviceCommissioning::upload(const QString &deviceFile, const QString &source,
                                 std::function<void(const DecodedReply &)> then)
{
    if (!m_transfer) {
        TftpTransferOptions options = m_settings.tftp;
        // The device ended the session: waiting for the time-out would tell nothing more.
        options.endOnDeviceError = true;
        m_transfer = new TftpTransfer(options, this);
        connect(m_transfer, &TftpTransfer::finished, this, &DeviceCommissioning::uploaded);
    }
    m_uploaded = std::move(then);
    try {
        m_transfer->start(deviceFile, source, m_row.ip);
    } catch (const Failure &failure) {
        m_transfer->SocketCleanup();
        fail(QStringLiteral("the upload cannot start: ") + failureText(failure));
    }
}

void DeviceCommissioning::uploaded(const TransferResult &transfer)
{
    if (m_ended)
        return;
    // What went wrong on the way (a file read, a send) may be why the device went quiet.
    const QString trouble = transfer.failure ? transfer.failurePlace + QStringLiteral(": ") +
                                                   failureText(*transfer.failure)
                                             : QString();
    const auto withTrouble = [&trouble](const QString &what) {
        return trouble.isEmpty() ? what : what + QStringLiteral(" (") + trouble + QLatin1Char(')');
    };
    switch (transfer.outcome) {
    case TransferResult::Outcome::Succeeded:
        return comeBack();
    case TransferResult::Outcome::TimedOut:
        return fail(withTrouble(kDownloadTimeoutLine));
    case TransferResult::Outcome::Refused:
        return fail(QStringLiteral("the device refused the file: ") + transfer.deviceError());
    case TransferResult::Outcome::WriteRequestFailed:
        return fail(withTrouble(QStringLiteral("Error sending UDP Write Request!")));
    case TransferResult::Outcome::FileChanged:
        return fail(trouble);
    case TransferResult::Outcome::Stopped:
        return; // only the end of this device stops its upload
    }
}

PingOptions DeviceCommissioning::pings() const
{
    return {m_settings.pingDataBytes, m_settings.pingFirstMs, m_settings.pingSecondMs};
}

void DeviceCommissioning::comeBack()
{
    if (!m_comeBack) {
        m_comeBack = new PingSeries(pings(), this);
        connect(m_comeBack, &PingSeries::finished, this, [this](bool answered) {
            if (m_ended)
                return;
            if (!answered)
                return fail(QStringLiteral("the device did not answer a ping after the upload (%1 "
                                           "echo requests)")
                                .arg(m_comeBack->timeouts()));
            query(
                [this](const DecodedReply &reply) {
                    if (normalHardwareAddress(reply.hardwareAddress) != m_row.hardwareAddress)
                        return fail(
                            QStringLiteral("after the upload the device at %1 is %2, not %3")
                                .arg(m_row.ip, reply.hardwareAddress.trimmed(),
                                     m_row.hardwareAddress));
                    m_uploaded(reply);
                },
                [this] { fail(QStringLiteral("no reply to the device query after the upload")); });
        });
    }
    try {
        m_comeBack->start(m_row.ip, 1, m_settings.comeBackEchoes);
    } catch (const Failure &failure) {
        fail(QStringLiteral("cannot ping: ") + failureText(failure));
    }
}

void DeviceCommissioning::record()
{
    enter(CommissionStep::Record);
    const DecodedReply identity = m_result.identity.value_or(DecodedReply{});
    const DeviceRecord deviceRecord{
        {m_row.ip, identity.hardwareAddress.trimmed(), identity.firmwareVersion.trimmed(),
         identity.firmwareType.trimmed(), identity.deviceType.trimmed()}};
    try {
        saveDeviceRecord(m_settings.dataFile, deviceRecord);
    } catch (const Failure &failure) {
        return fail(QStringLiteral("the device data file %1: %2")
                        .arg(m_settings.dataFile, failureText(failure)));
    }
    succeed();
}

void DeviceCommissioning::succeed()
{
    if (m_ended)
        return;
    m_result.outcome =
        m_alreadyThere ? CommissionResult::Outcome::AlreadyDone : CommissionResult::Outcome::Done;
    end();
}

void DeviceCommissioning::fail(const QString &why)
{
    if (m_ended)
        return;
    m_result.outcome = CommissionResult::Outcome::Failed;
    m_result.step = m_step;
    m_result.failure = why;
    end();
}

void DeviceCommissioning::end()
{
    m_ended = true;
    m_result.elapsedMs = m_clock.elapsed();
    // Whatever still runs is stopped from the event loop, outside the signal
    // that ended the device.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_probe)
                m_probe->stop();
            if (m_comeBack)
                m_comeBack->stop();
            if (m_assignment)
                m_assignment->stop();
            if (m_query)
                m_query->SocketCleanup();
            if (m_holders)
                m_holders->stop();
            if (m_transfer && m_transfer->Downloading())
                m_transfer->abandon();
            Q_EMIT finished();
        },
        Qt::QueuedConnection);
}
