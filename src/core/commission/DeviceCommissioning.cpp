#include "core/commission/DeviceCommissioning.h"

#include "core/datafile/DataFile.h"
#include "core/device/IpSetupExchange.h"
#include "core/device/IpSetupPacer.h"
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

void DeviceCommissioning::probe()
{
    enter(CommissionStep::Probe);
    m_probe = new AddressProbe(m_settings.probe, this);
    connect(m_probe, &AddressProbe::finished, this, [this] {
        if (m_ended)
            return;
        const QList<DecodedReply> &holders = m_probe->holders();
        if (!holders.isEmpty())
            m_result.identity = holders.first();
        switch (m_probe->finding()) {
        case AddressProbe::Finding::Free:
            return next(CommissionStep::Assign);
        case AddressProbe::Finding::Planned:
            m_alreadyThere = true;
            return next(CommissionStep::Firmware);
        case AddressProbe::Finding::Taken:
            return fail(m_probe->problem());
        }
    });
    try {
        m_probe->start(m_row.ip, m_row.hardwareAddress);
    } catch (const Failure &failure) {
        fail(QStringLiteral("the address cannot be probed: ") + failureText(failure));
    }
}

void DeviceCommissioning::assign()
{
    enter(CommissionStep::Assign);
    // The run's devices share one pace of broadcasts.
    if (m_settings.ipSetupPacer)
        return m_settings.ipSetupPacer->enqueue(this, [this] { sendIpSetup(); });
    sendIpSetup();
}

void DeviceCommissioning::sendIpSetup()
{
    if (m_ended)
        return;
    const IpSetupOutcome outcome =
        set_tmx_ip(m_row.ip, m_row.hardwareAddress, m_settings.confirm.port);
    switch (outcome.kind) {
    case IpSetupOutcome::Kind::Sent:
        return confirm();
    case IpSetupOutcome::Kind::ConversionFailed:
        return fail(QStringLiteral("IP-SETUP not sent: ") + failureText(*outcome.failure));
    case IpSetupOutcome::Kind::UnknownHost:
    case IpSetupOutcome::Kind::SocketFailed:
        return fail(QStringLiteral("IP-SETUP not sent: ") + outcome.detail);
    }
}

// Only this device alone at the address proves the step: another one ending
// like it, missed by the search before the run, may have taken it too.
void DeviceCommissioning::confirm()
{
    m_confirm = new QueryPoll(m_settings.confirm, this);
    connect(m_confirm, &QueryPoll::finished, this, [this] {
        if (m_ended)
            return;
        const QList<DecodedReply> &holders = m_confirm->holders();
        const DecodedReply *mine = m_confirm->planned();
        if (mine || !holders.isEmpty())
            m_result.identity = mine ? *mine : holders.first();
        if (!m_confirm->confirmed())
            return fail(QStringLiteral("IP-SETUP sent, not confirmed after %1 queries: %2")
                            .arg(m_confirm->polls())
                            .arg(m_confirm->problem()));
        next(CommissionStep::Firmware);
    });
    try {
        m_confirm->start(m_row.ip, m_row.hardwareAddress);
    } catch (const Failure &failure) {
        fail(QStringLiteral("IP-SETUP sent, but the device query cannot be sent: ") +
             failureText(failure));
    }
}

void DeviceCommissioning::upgradeFirmware()
{
    const QString version = m_result.identity ? m_result.identity->firmwareVersion : QString();
    if (m_row.firmware.isEmpty() || sameVersion(version, m_row.firmwareVersion))
        return next(CommissionStep::WebPages);
    enter(CommissionStep::Firmware);
    m_alreadyThere = false;
    const auto upgraded = [this](const DecodedReply &reply) {
        return sameVersion(reply.firmwareVersion, m_row.firmwareVersion);
    };
    upload(m_row.firmwareDeviceFile, m_row.firmware, upgraded, [this](const DecodedReply &reply) {
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
    upload(m_row.webDestination, m_row.webPages, {},
           [this](const DecodedReply &) { next(CommissionStep::Record); });
}

void DeviceCommissioning::upload(const QString &deviceFile, const QString &source,
                                 std::function<bool(const DecodedReply &)> wanted,
                                 std::function<void(const DecodedReply &)> then)
{
    if (!m_transfer) {
        TftpTransferOptions options = m_settings.tftp;
        // The device ended the session: waiting for the time-out would tell nothing more.
        options.endOnDeviceError = true;
        // Many uploads share the machine: one that keeps moving is not cut off.
        options.timeoutSinceLastAck = true;
        m_transfer = new TftpTransfer(options, this);
        connect(m_transfer, &TftpTransfer::finished, this, &DeviceCommissioning::uploaded);
    }
    m_wanted = std::move(wanted);
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

void DeviceCommissioning::comeBack()
{
    if (!m_comeBack) {
        m_comeBack = new QueryPoll(m_settings.comeBack, this);
        connect(m_comeBack, &QueryPoll::finished, this, [this] {
            if (m_ended)
                return;
            const DecodedReply *mine = m_comeBack->planned();
            if (mine)
                m_result.identity = *mine;
            // The device alone, but not as wanted: the step says what it read.
            if (m_comeBack->confirmed() || (mine && m_comeBack->holders().size() == 1))
                return m_uploaded(*mine);
            fail(QStringLiteral("after the upload, %1 (%2 queries)")
                     .arg(m_comeBack->problem())
                     .arg(m_comeBack->polls()));
        });
    }
    try {
        m_comeBack->start(m_row.ip, m_row.hardwareAddress, m_wanted);
    } catch (const Failure &failure) {
        fail(QStringLiteral("the device query cannot be sent: ") + failureText(failure));
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
            if (m_confirm)
                m_confirm->stop();
            if (m_comeBack)
                m_comeBack->stop();
            if (m_transfer && m_transfer->Downloading())
                m_transfer->abandon();
            Q_EMIT finished();
        },
        Qt::QueuedConnection);
}
