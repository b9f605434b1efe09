#pragma once

#include "core/commission/CommissionPlan.h"
#include "core/device/AssignConfirmation.h"
#include "core/device/DeviceProtocol.h"
#include "core/net/PingControl.h"
#include "core/tftp/TftpTransfer.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class AddressAssignment;
class AddressHolders;
class DeviceQuery;
class IpSetupPacer;
class PingSeries;

// The values a commissioning run takes from the program's settings
// (commissionSettings() gives them).
struct CommissionSettings {
    quint16 queryPort = 0; // query and IP-SETUP
    int queryTimeoutMs = 0;
    int holdersSettleMs = 0; // the other holders of an address answer within this
    int pingDataBytes = 0;
    int pingFirstMs = 0;  // wait for one echo reply
    int pingSecondMs = 0; // pause between the assignment's echo requests
    // The probe of the new address: this many echo requests with no pause;
    // one lost datagram does not hide a device that holds it.
    int probeEchoes = 0;
    // After an upload the device restarts: it is pinged until it answers,
    // for at most this many echo requests.
    int comeBackEchoes = 0;
    TftpTransferOptions tftp;
    QString dataFile; // the device data file the records go into
    // The run's pace of IP-SETUP broadcasts (0: none). The run sets
    // ipSetupPacer, which its devices share; null sends at once.
    int ipSetupPerSecond = 0;
    IpSetupPacer *ipSetupPacer = nullptr;
};

// The steps of one device, in order.
enum class CommissionStep { Probe, Assign, Verify, Firmware, WebPages, Record };
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
// probed for another user, assigned by IP-SETUP and confirmed by the Assign IP
// rule, verified by a query that must find this device alone at the address,
// firmware and web pages uploaded where the row
// asks, and its record stored in the device data file. The device stops at its
// first failure. Every step ends by itself (each has its time-out), so a
// device once started always finishes. Each step starts from the event loop,
// never inside a signal of the step before it.
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
    void verify();
    void upgradeFirmware();
    void uploadWebPages();
    void record();
    // Sends the file, waits for the device to come back, queries it and hands
    // the reply on.
    void upload(const QString &deviceFile, const QString &source,
                std::function<void(const DecodedReply &)> then);
    void uploaded(const TransferResult &transfer);
    void comeBack();
    void query(std::function<void(const DecodedReply &)> onReply, std::function<void()> onTimeout);
    // Every device that answers at the row's address, in the order they answered.
    void askHolders(std::function<void(const QList<DecodedReply> &)> then);
    void succeed();
    void fail(const QString &why);
    void end();
    // The data size, wait and pause of the assignment's and the come-back pings.
    PingOptions pings() const;

    PlanRow m_row;
    CommissionSettings m_settings;
    CommissionResult m_result;
    CommissionStep m_step = CommissionStep::Probe;
    QElapsedTimer m_clock;
    bool m_alreadyThere = false;
    bool m_ended = false;

    PingSeries *m_probe = nullptr;
    PingSeries *m_comeBack = nullptr;
    DeviceQuery *m_query = nullptr;
    AddressHolders *m_holders = nullptr;
    std::function<void(const QList<DecodedReply> &)> m_onHolders;
    AddressAssignment *m_assignment = nullptr;
    TftpTransfer *m_transfer = nullptr;
    std::function<void(const DecodedReply &)> m_onReply;
    std::function<void()> m_onTimeout;
    std::function<void(const DecodedReply &)> m_uploaded; // checks the device after an upload
};
