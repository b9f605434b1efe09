#pragma once

#include "cli/CommandDeclaration.h"
#include "core/commission/CommissionReport.h"
#include "core/support/ReplacedFile.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QString>

class CommissionRun;
class InterruptWatcher;
struct DataFilePath;

// cfgutil commission PLAN.csv: checks the whole plan and the files of the
// run, then commissions its devices side by side (--jobs), adding each
// finished device to the report. Ctrl-C or SIGTERM lets the running devices
// finish and starts no more; a second one stops them where they are.
class CommissionCommand : public CliCommand {
    Q_OBJECT
public:
    CommissionCommand(AppContext &context, CliOutput &output, QObject *parent = nullptr);
    ~CommissionCommand() override;
    static CommandDeclaration declaration();
    void start() override;

    // PLAN.csv -> PLAN-report.csv in the plan's folder.
    static QString defaultReportPath(const QString &planPath);

private:
    // Each is false when the command has ended.
    bool checkFileIdentities(const QString &planPath, const QList<PlanRow> &plan,
                             const DataFilePath &dataFile);
    bool digestFiles(const QList<PlanRow> &plan);
    bool applyResume(const QList<PlanRow> &plan);
    bool startReport();
    void runDevices(const QString &dataFile);
    void interrupted(int count);
    void rowFinished(int index, const CommissionResult &result);
    void end();

    int m_jobs = 0;         // devices at a time; 0: as many as the plan allows
    QString m_reportOption; // empty: beside the plan
    QString m_resumeOption;
    QString m_fileOption; // the device data file; empty: the settings'
    bool m_createInfobase = false;
    QString m_reportPath;
    QString m_resumePath;
    QHash<QString, QString> m_sha256; // of each file the plan sends
    QList<ReportRow> m_report;        // one per plan row, in plan order
    QList<int> m_reportIndex;         // of each row to run
    QList<PlanRow> m_toRun;
    QList<bool> m_resumed; // per report row
    ReplacedFile m_reportFile;
    CommissionRun *m_run = nullptr;
    InterruptWatcher *m_interrupt = nullptr;
    bool m_interrupted = false;
    // The rows running, with their step and start, for a second interrupt.
    QHash<int, CommissionStep> m_stepOf;
    QHash<int, qint64> m_startedAt;
    QElapsedTimer m_clock;
};
