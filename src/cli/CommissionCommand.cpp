#include "cli/CommissionCommand.h"

#include "cli/CliOutput.h"
#include "cli/DataFilePath.h"
#include "cli/ExitCode.h"
#include "cli/InterruptWatcher.h"
#include "core/commission/CommissionRun.h"
#include "core/commission/EndingCheck.h"
#include "core/datafile/DataFile.h"
#include "core/net/IcmpAvailability.h"
#include "core/session/AppContext.h"
#include "core/session/EngineOptions.h"
#include "core/support/Failure.h"
#include "core/support/TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonValue>
#include <QSet>

namespace {
QJsonObject rowObject(const ReportRow &row, bool resumed)
{
    const auto text = [](const QString &value) {
        return value.isEmpty() ? QJsonValue() : QJsonValue(value);
    };
    bool timed = false;
    const double seconds = row.seconds.toDouble(&timed);
    return {{QStringLiteral("line"), row.line},
            {QStringLiteral("hardwareAddress"), row.hardwareAddress},
            {QStringLiteral("address"), row.ip},
            {QStringLiteral("outcome"), row.outcome},
            {QStringLiteral("hardwareAddressRead"), text(row.hardwareAddressRead)},
            {QStringLiteral("firmwareVersion"), text(row.firmwareVersion)},
            {QStringLiteral("firmwareType"), text(row.firmwareType)},
            {QStringLiteral("deviceType"), text(row.deviceType)},
            {QStringLiteral("seconds"), timed ? QJsonValue(seconds) : QJsonValue()},
            {QStringLiteral("failure"), text(row.failure)},
            {QStringLiteral("resumed"), resumed}};
}

QString rowLabel(const PlanRow &row)
{
    return QStringLiteral("line %1 %2 %3").arg(row.line).arg(row.hardwareAddress, row.ip);
}
} // namespace

CommissionCommand::CommissionCommand(AppContext &context, const Invocation &invocation,
                                     CliOutput &output, QObject *parent)
    : CliCommand(context, invocation, output, parent)
{
    for (const char *field : {"plan", "report", "file", "resume"})
        result().insert(QLatin1String(field), QJsonValue());
    result().insert(QStringLiteral("jobs"), invocation.jobs);
    result().insert(QStringLiteral("interrupted"), false);
    result().insert(QStringLiteral("problems"), QJsonArray());
    result().insert(QStringLiteral("rows"), QJsonArray());
}

CommissionCommand::~CommissionCommand() = default;

QString CommissionCommand::defaultReportPath(const QString &planPath)
{
    const QFileInfo plan(planPath);
    return plan.absoluteDir().filePath(plan.completeBaseName() + QStringLiteral("-report.csv"));
}

void CommissionCommand::start()
{
    const QString planPath = QFileInfo(invocation().operands.at(0)).absoluteFilePath();
    result().insert(QStringLiteral("plan"), planPath);
    const DataFilePath dataFile = chooseDataFile(context().settings, invocation().file);
    if (!dataFile.path.isEmpty())
        result().insert(QStringLiteral("file"), dataFile.path);
    m_reportPath =
        QFileInfo(invocation().report.isEmpty() ? defaultReportPath(planPath) : invocation().report)
            .absoluteFilePath();
    result().insert(QStringLiteral("report"), m_reportPath);

    // Either would be lost under the report.
    if (m_reportPath == planPath || (!dataFile.path.isEmpty() && m_reportPath == dataFile.path))
        return finish(ExitCode::BadInput,
                      QStringLiteral("The report %1 would overwrite the %2: name another with "
                                     "--report FILE")
                          .arg(m_reportPath, m_reportPath == planPath
                                                 ? QStringLiteral("plan")
                                                 : QStringLiteral("device data file")));

    const CommissionPlan plan = readCommissionPlan(planPath, context().settings, context().paths,
                                                   invocation().createInfobase || invocation().yes);
    if (!plan.problems.isEmpty()) {
        QJsonArray problems;
        for (const PlanProblem &problem : plan.problems) {
            problems.append(QJsonObject{{QStringLiteral("line"), problem.line},
                                        {QStringLiteral("text"), problem.text}});
            output().error(
                QStringLiteral("%1:%2: %3").arg(planPath).arg(problem.line).arg(problem.text));
        }
        result().insert(QStringLiteral("problems"), problems);
        return finish(ExitCode::BadInput,
                      QStringLiteral("The plan has %1 problem(s); nothing was sent")
                          .arg(plan.problems.size()));
    }

    // Told after the plan's problems, so that one run shows them all.
    if (!dataFile.error.isEmpty())
        return finish(ExitCode::BadInput, dataFile.error);

    if (!applyResume(plan.rows, m_toRun))
        return;
    // The report is written before anything is sent: a report that cannot be
    // written is known before the first device changes.
    if (!writeReport())
        return;
    if (m_toRun.isEmpty()) {
        output().note(QStringLiteral("Every row is done already"));
        return end();
    }
    const IcmpAvailability icmp = probeIcmp();
    if (!icmp.usable())
        return finish(ExitCode::Environment,
                      QStringLiteral("No ICMP socket can be opened, so no address can be "
                                     "probed or confirmed: %1")
                          .arg(IcmpAvailability::sysctlAdvice()));

    CommissionSettings settings;
    settings.queryPort = context().ports.query;
    settings.queryTimeoutMs = context().intervals.queryTimeoutMs;
    settings.pingFirstMs = context().intervals.pingFirstMs;
    settings.pingSecondMs = context().intervals.pingSecondMs;
    settings.tftp = tftpTransferOptions(context());
    settings.dataFile = dataFile.path;

    m_interrupt = new InterruptWatcher(this);
    connect(m_interrupt, &InterruptWatcher::interrupted, this, [this] {
        m_interrupted = true;
        result().insert(QStringLiteral("interrupted"), true);
        output().note(QStringLiteral("Interrupted: no further device starts; waiting for the %1 "
                                     "running to finish")
                          .arg(m_run->running()));
        m_run->stopStarting();
    });
    m_run = new CommissionRun(m_toRun, settings, invocation().jobs, this);
    connect(m_run, &CommissionRun::rowStarted, this, [this](int index) {
        output().note(rowLabel(m_toRun[index]) + QStringLiteral(": started"));
    });
    connect(m_run, &CommissionRun::stepStarted, this, [this](int index, CommissionStep step) {
        output().note(rowLabel(m_toRun[index]) + QStringLiteral(": ") + stepName(step));
    });
    connect(m_run, &CommissionRun::rowFinished, this, &CommissionCommand::rowFinished);
    connect(m_run, &CommissionRun::finished, this, &CommissionCommand::end);
    output().note(QStringLiteral("Commissioning %1 device(s), %2 at a time; report: %3")
                      .arg(m_toRun.size())
                      .arg(invocation().jobs)
                      .arg(m_reportPath));

    // Nothing is sent while another device on a row's segment ends in the
    // row's two bytes: that row's IP-SETUP would move it too.
    auto *endings = new EndingCheck(this);
    connect(endings, &EndingCheck::finished, this, [this, endings, planPath] {
        if (endings->clashes().isEmpty())
            return m_run->start();
        QJsonArray problems;
        QSet<int> lines;
        for (const EndingCheck::Clash &clash : endings->clashes()) {
            lines.insert(clash.line);
            problems.append(QJsonObject{{QStringLiteral("line"), clash.line},
                                        {QStringLiteral("text"), clash.text()}});
            output().error(
                QStringLiteral("%1:%2: %3").arg(planPath).arg(clash.line).arg(clash.text()));
        }
        result().insert(QStringLiteral("problems"), problems);
        finish(ExitCode::BadInput, QStringLiteral("%1 row(s) would move another device too; "
                                                  "nothing was sent")
                                       .arg(lines.size()));
    });
    try {
        if (!endings->start(m_toRun, context().ports.query))
            return m_run->start();
    } catch (const Failure &failure) {
        return fail(failure);
    }
    output().note(QStringLiteral("Looking on %1 for other devices that end like a row...")
                      .arg(endings->interfaces().join(QStringLiteral(", "))));
}

bool CommissionCommand::applyResume(const QList<PlanRow> &plan, QList<PlanRow> &toRun)
{
    QList<ReportRow> earlier;
    if (!invocation().resume.isEmpty()) {
        const QString path = QFileInfo(invocation().resume).absoluteFilePath();
        result().insert(QStringLiteral("resume"), path);
        const ReadReport read = readReport(path);
        if (!read.error.isEmpty()) {
            finish(ExitCode::BadInput, read.error);
            return false;
        }
        earlier = read.rows;
    }
    for (const PlanRow &row : plan) {
        const auto done = std::find_if(earlier.cbegin(), earlier.cend(), [&](const ReportRow &r) {
            return r.isDone() && r.hardwareAddress == row.hardwareAddress && r.ip == row.ip;
        });
        if (done != earlier.cend()) {
            ReportRow carried = *done;
            carried.line = row.line;
            m_report.append(carried);
            m_resumed.append(true);
            output().note(
                rowLabel(row) +
                QStringLiteral(": skipped, %1 in %2").arg(done->outcome, invocation().resume));
            continue;
        }
        m_reportIndex.append(int(m_report.size()));
        m_report.append(reportRow(row, CommissionResult{}));
        m_resumed.append(false);
        toRun.append(row);
    }
    return true;
}

bool CommissionCommand::writeReport()
{
    try {
        replaceFileContent(m_reportPath, reportText(m_report).toUtf8());
        return true;
    } catch (const Failure &failure) {
        finish(ExitCode::Environment,
               QStringLiteral("The report %1 cannot be written: Error %2: %3")
                   .arg(m_reportPath)
                   .arg(failure.number())
                   .arg(failure.description()));
        return false;
    }
}

void CommissionCommand::rowFinished(int index, const CommissionResult &outcome)
{
    const PlanRow &row = m_toRun[index];
    ReportRow &reported = m_report[m_reportIndex[index]];
    reported = reportRow(row, outcome);
    QString line = rowLabel(row) + QStringLiteral(": ") + reported.outcome +
                   QStringLiteral(" (%1 s)").arg(reported.seconds);
    if (!reported.failure.isEmpty())
        line += QStringLiteral(": ") + reported.failure;
    output().note(line);
    // Rewritten after each device, so the report holds what was done even if
    // the program is killed.
    try {
        replaceFileContent(m_reportPath, reportText(m_report).toUtf8());
    } catch (const Failure &failure) {
        output().error(QStringLiteral("The report %1 cannot be written: %2")
                           .arg(m_reportPath, failure.description()));
    }
}

void CommissionCommand::end()
{
    delete m_interrupt; // Ctrl-C ends the program again
    m_interrupt = nullptr;
    QJsonArray rows;
    int done = 0;
    for (qsizetype i = 0; i < m_report.size(); ++i) {
        const ReportRow &row = m_report[i];
        rows.append(rowObject(row, m_resumed[i]));
        done += row.isDone() ? 1 : 0;
        output().line(QStringLiteral("%1  %2  %3  %4")
                          .arg(row.line, 4)
                          .arg(row.hardwareAddress, row.ip.leftJustified(15), row.outcome));
    }
    result().insert(QStringLiteral("rows"), rows);
    output().line(QStringLiteral("%1 of %2 device(s) done; report: %3")
                      .arg(done)
                      .arg(m_report.size())
                      .arg(m_reportPath));
    if (!writeReport())
        return;
    if (done == m_report.size())
        return finish(ExitCode::Done);
    finish(ExitCode::DeviceFailed,
           m_interrupted
               ? QStringLiteral("Interrupted: %1 device(s) not done").arg(m_report.size() - done)
               : QStringLiteral("%1 device(s) not done").arg(m_report.size() - done));
}
