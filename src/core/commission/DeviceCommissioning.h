#pragma once

#include "core/commission/CommissionPlan.h"
#include "core/device/AddressProbe.h"
#include "core/device/DeviceProtocol.h"
#include "core/device/QueryPoll.h"
#include "core/tftp/TftpTransfer.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class IpSetupPacer;

// The values a commissioning run takes from the program's settings
// (commissionSettings() gives them).
struct CommissionSettings {
    AddressProbeOptions probe; // is the new address in use?
    QueryPollOptions confirm;  // the device answers at its new address
    QueryPollOptions comeBack; // the device is back after an upload
    TftpTransferOptions tftp;
    QString dataFile; // the device data file the records go into
    // The run's pace of IP-SETUP broadcasts (0: none). The run sets
    // ipSetupPacer, which its devices share; null sends at once.
    int ipSetupPerSecond = 0;
    IpSetupPacer *ipSetupPacer = nullptr;
};

// The steps of one device, in order.
enum class CommissionStep { Probe, Assign, Firmware, WebPages, Record };
QString stepName(CommissionStep step);

struct CommissionResult {
    enum class Outcome { NotStarted, Done, AlreadyDone, Failed };
    Outcome outcome = Outcome::NotStarted;
    CommissionStep step = CommissionStep::Probe; // where it failed
    std::optional<DecodedReply> identity;        // the last query reply
    qint64 elapsedMs = 0;
    QString failure;
};
// "done", "already done", "failed at assign", "not started".
QString outcomeText(const CommissionResult &result);

// Brings one device from its plan row to its recorded state: the new address
// probed for another user, assigned by IP-SETUP and confirmed by the device
// query, which must find this device alone at the address, firmware and web
// pages uploaded where the row asks, and its record stored in the device data
// file. The device stops at its first failure. Every step ends by itself
// (each has its time-out), so a device once started always finishes. Each
// step starts from the event loop, never inside a signal of the step before it.
class DeviceCommissioning : public QObject {
    Q_OBJECT
public:
    DeviceCommissioning(const PlanRow &row, const CommissionSettings &settings,
                        QObject *parent = nullptr);
    ~DeviceCommissioning() override;

    void start();
    const PlanRow &row() const { return m_row; }
    const CommissionResult &result() const { return m_result; }

Q_SIGNALS:
    void stepStarted(CommissionStep step); // only the steps with work to do
    void finished();                       // once, through the event loop

private:
    // Starts the step from the event loop; a step with nothing to do passes
    // on without being entered.
    void next(CommissionStep step);
    void enter(CommissionStep step);
    void probe();
    void assign();
    void sendIpSetup(); // the datagram of assign(), when its turn comes
    void confirm();
    void upgradeFirmware();
    void uploadWebPages();
    void record();
    // Sends the file, waits for the device to come back as `wanted` says and
    // hands its reply on.
    void upload(const QString &deviceFile, const QString &source,
                std::function<bool(const DecodedReply &)> wanted,
                std::function<void(const DecodedReply &)> then);
    void uploaded(const TransferResult &transfer);
    void comeBack();
    void succeed();
    void fail(const QString &why);
    void end();

    PlanRow m_row;
    CommissionSettings m_settings;
    CommissionResult m_result;
    CommissionStep m_step = CommissionStep::Probe;
    QElapsedTimer m_clock;
    bool m_alreadyThere = false;
    bool m_ended = false;

    AddressProbe *m_probe = nullptr;
    QueryPoll *m_confirm = nullptr;
    QueryPoll *m_comeBack = nullptr;
    TftpTransfer *m_transfer = nullptr;
    std::function<bool(const DecodedReply &)> m_wanted;   // how the device comes back
    std::function<void(const DecodedReply &)> m_uploaded; // checks the device after an upload
};
