#pragma once

#include "cli/CliCommand.h"
#include "core/commission/CommissionReport.h"

#include <QList>
#include <QString>

class CommissionRun;
class InterruptWatcher;

// cfgutil commission PLAN.csv: checks the whole plan, then commissions its
// devices side by side (--jobs), writing the report after each device and
// at the end. Ctrl-C lets the running devices finish and starts no more.
class CommissionCommand : public CliCommand {
    Q_OBJECT
public:
    CommissionCommand(AppContext &context, const Invocation &invocation, CliOutput &output,
                      QObject *parent = nullptr);
    ~CommissionCommand() override;
    void start() override;

    // PLAN.csv -> PLAN-report.csv in the plan's folder.
    static QString defaultReportPath(const QString &planPath);

private:
    // Carries over the rows the earlier report marks done; false when the
    // command has ended.
    bool applyResume(const QList<PlanRow> &plan, QList<PlanRow> &toRun);
    bool writeReport();
    void rowFinished(int index, const CommissionResult &result);
    void end();

    QString m_reportPath;
    QList<ReportRow> m_report; // one per plan row, in plan order
    QList<int> m_reportIndex;  // of each row to run
    QList<PlanRow> m_toRun;
    QList<bool> m_resumed; // per report row
    CommissionRun *m_run = nullptr;
    InterruptWatcher *m_interrupt = nullptr;
    bool m_interrupted = false;
};
