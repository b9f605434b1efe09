#pragma once

#include "core/commission/DeviceCommissioning.h"
#include "core/device/IpSetupPacer.h"

#include <QList>
#include <QObject>
#include <QSet>

// Commissions the rows of a plan side by side on the event loop: at most
// `jobs` devices at a time, and never two whose new addresses, or whose
// hardware addresses' last two bytes (which select the device in IP-SETUP),
// are the same. Rows start in plan order as far as that allows. Their IP-SETUP
// broadcasts keep to the settings' pace together.
class CommissionRun : public QObject {
    Q_OBJECT
public:
    CommissionRun(const QList<PlanRow> &rows, const CommissionSettings &settings, int jobs,
                  QObject *parent = nullptr);
    ~CommissionRun() override;

    void start();
    // No further device starts; those running end as they would. finished()
    // follows when the last has ended.
    void stopStarting();
    // Ends the running devices at once, wherever they are: neither
    // rowFinished() for them nor finished() follows; the caller tells what
    // became of them. Not from within a signal of the run.
    void stopNow();
    bool stopping() const { return m_stopping; }
    int running() const { return int(m_running.size()); }

Q_SIGNALS:
    void rowStarted(int index);
    void stepStarted(int index, CommissionStep step);
    void rowFinished(int index, const CommissionResult &result);
    // Rows never started keep the outcome "not started".
    void finished();

private:
    void startMore();
    bool mayStart(const PlanRow &row) const;
    void ended(int index, DeviceCommissioning *device);

    QList<PlanRow> m_rows;
    CommissionSettings m_settings;
    IpSetupPacer m_pacer;
    int m_jobs;
    QList<int> m_waiting; // indexes, in plan order
    QList<DeviceCommissioning *> m_running;
    bool m_stopping = false;
    bool m_finished = false;
};
