#include "core/commission/CommissionRun.h"

#include "core/device/AddressText.h"

#include <utility>

CommissionRun::CommissionRun(const QList<PlanRow> &rows, const CommissionSettings &settings,
                             int jobs, QObject *parent)
    : QObject(parent), m_rows(rows), m_settings(settings), m_pacer(settings.ipSetupPerSecond, this),
      m_jobs(qMax(1, jobs))
{
    if (!m_settings.ipSetupPacer)
        m_settings.ipSetupPacer = &m_pacer;
    for (int i = 0; i < m_rows.size(); ++i)
        m_waiting.append(i);
}

CommissionRun::~CommissionRun() = default;

void CommissionRun::start()
{
    QMetaObject::invokeMethod(this, &CommissionRun::startMore, Qt::QueuedConnection);
}

void CommissionRun::stopStarting()
{
    m_stopping = true;
    QMetaObject::invokeMethod(this, &CommissionRun::startMore, Qt::QueuedConnection);
}

void CommissionRun::stopNow()
{
    m_stopping = true;
    m_finished = true;
    // Deleted now, not later: a step it has queued must not run any more.
    // Its sockets close with it.
    qDeleteAll(std::exchange(m_running, {}));
}

bool CommissionRun::mayStart(const PlanRow &row) const
{
    const auto tail = HardwareAddressTail(row.hardwareAddress);
    for (const DeviceCommissioning *device : m_running)
        if (device->row().address == row.address ||
            HardwareAddressTail(device->row().hardwareAddress) == tail)
            return false;
    return true;
}

void CommissionRun::startMore()
{
    for (qsizetype i = 0; !m_stopping && i < m_waiting.size() && m_running.size() < m_jobs;) {
        const int index = m_waiting[i];
        if (!mayStart(m_rows[index])) {
            ++i;
            continue;
        }
        m_waiting.removeAt(i);
        auto *device = new DeviceCommissioning(m_rows[index], m_settings, this);
        m_running.append(device);
        connect(device, &DeviceCommissioning::stepStarted, this,
                [this, index](CommissionStep step) { Q_EMIT stepStarted(index, step); });
        connect(device, &DeviceCommissioning::finished, this,
                [this, index, device] { ended(index, device); });
        Q_EMIT rowStarted(index);
        device->start();
    }
    if (m_running.isEmpty() && (m_stopping || m_waiting.isEmpty()) && !m_finished) {
        m_finished = true;
        Q_EMIT finished();
    }
}

void CommissionRun::ended(int index, DeviceCommissioning *device)
{
    m_running.removeOne(device);
    const CommissionResult result = device->result();
    device->deleteLater();
    Q_EMIT rowFinished(index, result);
    startMore();
}
