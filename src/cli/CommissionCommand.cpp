#include "cli/CommissionCommand.h"

#include "cli/CliOutput.h"
#include "cli/DataFilePath.h"
#include "cli/ExitCode.h"
#include "cli/InterruptWatcher.h"
#include "core/commission/CommissionRun.h"
#include "core/commission/EndingCheck.h"
#include "core/commission/ResumeMatch.h"
#include "core/datafile/DataFile.h"
#include "core/host/IcmpAvailability.h"
#include "core/session/AppContext.h"
#include "core/session/EngineOptions.h"
#include "core/support/Failure.h"
#include "core/support/FileDigest.h"
#include "core/support/FileIdentity.h"

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
            {QStringLiteral("firmware"), text(row.firmware)},
            {QStringLiteral("firmwareSha256"), text(row.firmwareSha256)},
            {QStringLiteral("firmwareVersionPlanned"), text(row.firmwareVersionPlanned)},
            {QStringLiteral("destination"), text(row.destination)},
            {QStringLiteral("webPages"), text(row.webPages)},
            {QStringLiteral("webPagesSha256"), text(row.webPagesSha256)},
            {QStringLiteral("webDestination"), text(row.webDestination)},
            {QStringLiteral("resumed"), resumed}};
}

QString rowLabel(const PlanRow &row)
{
    return QStringLiteral("line %1 %2 %3").arg(row.line).arg(row.hardwareAddress, row.ip);
}

QString failureText(const Failure &failure)
{
    return QStringLiteral("Error %1: %2").arg(failure.number()).arg(failure.description());
}
} // namespace

CommissionCommand::CommissionCommand(AppContext &context, CliOutput &output, QObject *parent)
    : CliCommand(context, output, parent)
{
    for (const char *field : {"plan", "report", "file", "resume"})
        result().insert(QLatin1String(field), QJsonValue());
    result().insert(QStringLiteral("interrupted"), false);
    result().insert(QStringLiteral("problems"), QJsonArray());
    result().insert(QStringLiteral("rows"), QJsonArray());
}

CommissionCommand::~CommissionCommand() = default;

CommandDeclaration CommissionCommand::declaration()
{
    return Declare<CommissionCommand>(
               QStringLiteral("commission"), {QStringLiteral("PLAN.csv")},
               QStringLiteral(
                   "Give every device of a plan its address, verify it, load firmware and web\n"
                   "pages where the plan says, and store its record in the device data file\n"
                   "(--file, else the file of the settings). --jobs N devices at a time, 1 to\n"
                   "256; without it, as many as the plan allows, up to %1. Two rows with the\n"
                   "same new address or hardware address ending never run together, and the\n"
                   "IP-SETUP broadcasts of the whole run keep to %2 a second at most.\n"
                   "The plan is checked whole first: any bad row, and nothing is sent\n"
                   "(exit status 2); so is a row whose hardware address ends in the same two\n"
                   "bytes as another row's or another device's found on its segment.\n"
                   "Plan columns (header row, any order): hardware_address, ip (required);\n"
                   "firmware, firmware_version (both or neither), destination (a display name\n"
                   "of the product infobase), web_pages, web_destination (WEB6). Relative\n"
                   "paths are taken from the plan's folder.\n"
                   "Per device: probe (does the new address answer already? if it is the\n"
                   "device, \"already done\"), assign (IP-SETUP, confirmed by the query: the\n"
                   "device alone at its address), firmware (when the version read\n"
                   "differs: upload, wait for the device, check the version), web pages,\n"
                   "record. A device stops at its first failure. Ctrl-C or SIGTERM starts no\n"
                   "further device; those running finish, and the report is written. A second\n"
                   "one stops them at once (outcome \"interrupted\").\n"
                   "Before anything is sent, the data file must be writable (else exit status\n"
                   "3), and the report, the data file, the plan, its images and the --resume\n"
                   "report must be different files, links followed (exit status 2); only the\n"
                   "--resume report may be the report itself.\n"
                   "Report (default PLAN-report.csv beside the plan; a link there is replaced,\n"
                   "never written through; each device's row added as it ends): line,\n"
                   "hardware_address, ip, outcome (done, already done, failed at STEP,\n"
                   "interrupted, not started), hardware_address_read, firmware_version,\n"
                   "firmware_type, device_type (as last read), seconds, failure, then the\n"
                   "plan's columns: firmware, firmware_sha256, firmware_version_planned,\n"
                   "destination, web_pages, web_pages_sha256, web_destination.\n"
                   "--resume REPORT carries over a row only when REPORT has it done with every\n"
                   "plan column equal, each file by name and SHA-256; any other row runs again.\n"
                   "Exit status 0 when every row is done, 1 when any is not.")
                   .arg(Limits{}.commissionJobs)
                   .arg(Limits{}.ipSetupPerSecond))
        .count({QStringLiteral("--jobs")}, QStringLiteral("N"), 1, 256, &CommissionCommand::m_jobs,
               QStringLiteral("devices at a time"))
        .text({QStringLiteral("--report")}, QStringLiteral("FILE"),
              &CommissionCommand::m_reportOption, QStringLiteral("the report to write"))
        .text({QStringLiteral("--resume")}, QStringLiteral("REPORT"),
              &CommissionCommand::m_resumeOption,
              QStringLiteral("an earlier report whose done rows are carried over"))
        .text({QStringLiteral("--file")}, QStringLiteral("PATH"), &CommissionCommand::m_fileOption,
              QStringLiteral("the device data file"))
        .flag({QStringLiteral("--create-infobase")}, &CommissionCommand::m_createInfobase,
              QStringLiteral("let a missing infobase be replaced by the default one"))
        .answersYes(QStringLiteral("as --create-infobase"));
}

QString CommissionCommand::defaultReportPath(const QString &planPath)
{
    const QFileInfo plan(planPath);
    return plan.absoluteDir().filePath(plan.completeBaseName() + QStringLiteral("-report.csv"));
}

void CommissionCommand::start()
{
    // The most that may run; runDevices() says how many did.
    result().insert(QStringLiteral("jobs"), m_jobs > 0 ? m_jobs : context().limits.commissionJobs);
    const QString planPath = QFileInfo(operand(0)).absoluteFilePath();
    result().insert(QStringLiteral("plan"), planPath);
    const DataFilePath dataFile = chooseDataFile(context().settings, m_fileOption);
    if (!dataFile.path.isEmpty())
        result().insert(QStringLiteral("file"), dataFile.path);
    m_reportPath =
        QFileInfo(m_reportOption.isEmpty() ? defaultReportPath(planPath) : m_reportOption)
            .absoluteFilePath();
    result().insert(QStringLiteral("report"), m_reportPath);
    if (!m_resumeOption.isEmpty()) {
        m_resumePath = QFileInfo(m_resumeOption).absoluteFilePath();
        result().insert(QStringLiteral("resume"), m_resumePath);
    }

    // The files named on the command line first, then with the plan's images.
    if (!checkFileIdentities(planPath, {}, dataFile))
        return;
    const CommissionPlan plan = readCommissionPlan(planPath, context().settings, context().paths,
                                                   m_createInfobase || answersYes());
    if (!plan.problems.isEmpty()) {
        QJsonArray problems;
        for (const PlanProblem &problem : plan.problems) {
            problems.append(QJsonObject{{QStringLiteral("line"), problem.line},
                                        {QStringLiteral("text"), problem.text}});
            output().error(QStringLiteral("%1:%2: %3")
                               .arg(shownPath(planPath))
                               .arg(problem.line)
                               .arg(problem.text));
        }
        result().insert(QStringLiteral("problems"), problems);
        return finish(ExitCode::BadInput,
                      QStringLiteral("The plan %1 has %2 problem(s); nothing was sent")
                          .arg(shownPath(planPath))
                          .arg(plan.problems.size()));
    }

    // Told after the plan's problems, so that one run shows them all.
    if (!dataFile.error.isEmpty())
        return finish(ExitCode::BadInput, dataFile.error);
    if (!checkFileIdentities(planPath, plan.rows, dataFile))
        return;
    // Known before the first device changes, as the report's own trouble is.
    if (const QString why = dataFileNotWritable(dataFile.path); !why.isEmpty())
        return finish(ExitCode::Environment, why);
    if (!digestFiles(plan.rows) || !applyResume(plan.rows) || !startReport())
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
    runDevices(dataFile.path);
}

bool CommissionCommand::checkFileIdentities(const QString &planPath, const QList<PlanRow> &plan,
                                            const DataFilePath &dataFile)
{
    // What the run reads first, then what it writes, so that the message
    // names the file written as the one in the way.
    QList<FileUse> uses = programFileUses(context());
    uses.append({QStringLiteral("the plan"), planPath, FileAccess::Read});
    for (const PlanRow &row : plan) {
        if (!row.firmware.isEmpty())
            uses.append({QStringLiteral("the firmware of plan line %1").arg(row.line), row.firmware,
                         FileAccess::Read});
        if (!row.webPages.isEmpty())
            uses.append({QStringLiteral("the web pages of plan line %1").arg(row.line),
                         row.webPages, FileAccess::Read});
    }
    // The earlier report is read whole before the new one is first written,
    // so resuming into the same report is the usual way; any other file of
    // the run it may not be.
    if (!m_resumePath.isEmpty() && !sameFile(m_resumePath, m_reportPath))
        uses.append({QStringLiteral("the --resume report"), m_resumePath, FileAccess::ReadAlone});
    if (!dataFile.path.isEmpty())
        uses.append({QStringLiteral("the device data file"), dataFile.path, FileAccess::Write});
    uses.append({QStringLiteral("the report"), m_reportPath, FileAccess::Write});
    const auto clash = findFileClash(uses);
    if (!clash)
        return true;
    finish(ExitCode::BadInput, sameFileMessage(*clash) + QStringLiteral(": nothing was sent"));
    return false;
}

bool CommissionCommand::digestFiles(const QList<PlanRow> &plan)
{
    for (const PlanRow &row : plan)
        for (const QString &path : {row.firmware, row.webPages}) {
            if (path.isEmpty() || m_sha256.contains(path))
                continue;
            try {
                m_sha256.insert(path, sha256OfFile(path));
            } catch (const Failure &failure) {
                finish(ExitCode::Environment,
                       QStringLiteral("%1 of plan line %2 cannot be read: %3")
                           .arg(shownPath(path))
                           .arg(row.line)
                           .arg(failureText(failure)));
                return false;
            }
        }
    return true;
}

bool CommissionCommand::applyResume(const QList<PlanRow> &plan)
{
    QList<ReportRow> earlier;
    if (!m_resumePath.isEmpty()) {
        const ReadReport read = readReport(m_resumePath);
        if (!read.error.isEmpty()) {
            finish(ExitCode::BadInput, read.error);
            return false;
        }
        earlier = read.rows;
    }
    const ResumeMatch resume(earlier);
    for (const PlanRow &row : plan) {
        const ReportRow planned = plannedRow(row, m_sha256);
        if (const ReportRow *done = resume.doneRowFor(planned)) {
            // The plan's columns as this plan has them, what became of the
            // device as the earlier report says.
            ReportRow carried = planned;
            carried.outcome = done->outcome;
            carried.hardwareAddressRead = done->hardwareAddressRead;
            carried.firmwareVersion = done->firmwareVersion;
            carried.firmwareType = done->firmwareType;
            carried.deviceType = done->deviceType;
            carried.seconds = done->seconds;
            carried.failure = done->failure;
            m_report.append(carried);
            m_resumed.append(true);
            output().note(rowLabel(row) + QStringLiteral(": carried over, %1 in %2")
                                              .arg(done->outcome, shownPath(m_resumePath)));
            continue;
        }
        m_reportIndex.append(int(m_report.size()));
        m_report.append(planned);
        m_resumed.append(false);
        m_toRun.append(row);
    }
    return true;
}

bool CommissionCommand::startReport()
{
    // Written before anything is sent, so that a report that cannot be
    // written is known before the first device changes. It starts with the
    // rows carried over; each finished row is added as it ends, and at the
    // end the whole report is written in plan order.
    QString text = reportHeader();
    for (qsizetype i = 0; i < m_report.size(); ++i)
        if (m_resumed[i])
            text += reportLine(m_report[i]);
    try {
        m_reportFile.replace(m_reportPath, text.toUtf8());
        return true;
    } catch (const Failure &failure) {
        finish(ExitCode::Environment, QStringLiteral("The report %1 cannot be written: %2")
                                          .arg(shownPath(m_reportPath), failureText(failure)));
        return false;
    }
}

void CommissionCommand::runDevices(const QString &dataFile)
{
    const CommissionSettings settings = commissionSettings(context(), dataFile);
    // Without --jobs every row may run at once, up to the cap; the run keeps
    // rows that share an address or an ending apart.
    const int jobs =
        m_jobs > 0 ? m_jobs : int(qMin<qsizetype>(context().limits.commissionJobs, m_toRun.size()));
    result().insert(QStringLiteral("jobs"), jobs);

    m_interrupt = new InterruptWatcher(this);
    connect(m_interrupt, &InterruptWatcher::interrupted, this, &CommissionCommand::interrupted);
    m_clock.start();
    m_run = new CommissionRun(m_toRun, settings, jobs, this);
    connect(m_run, &CommissionRun::rowStarted, this, [this](int index) {
        m_stepOf.insert(index, CommissionStep::Probe);
        m_startedAt.insert(index, m_clock.elapsed());
        output().note(rowLabel(m_toRun[index]) + QStringLiteral(": started"));
    });
    connect(m_run, &CommissionRun::stepStarted, this, [this](int index, CommissionStep step) {
        m_stepOf.insert(index, step);
        output().note(rowLabel(m_toRun[index]) + QStringLiteral(": ") + stepName(step));
    });
    connect(m_run, &CommissionRun::rowFinished, this, &CommissionCommand::rowFinished);
    connect(m_run, &CommissionRun::finished, this, &CommissionCommand::end);
    output().note(QStringLiteral("Commissioning %1 device(s), %2 at a time; report: %3")
                      .arg(m_toRun.size())
                      .arg(jobs)
                      .arg(shownPath(m_reportPath)));

    // Nothing is sent while another device on a row's segment ends in the
    // row's two bytes: that row's IP-SETUP would move it too.
    auto *endings = new EndingCheck(this);
    connect(endings, &EndingCheck::finished, this, [this, endings] {
        const QString planPath = result().value(QStringLiteral("plan")).toString();
        if (endings->clashes().isEmpty())
            return m_run->start();
        QJsonArray problems;
        QSet<int> lines;
        for (const EndingCheck::Clash &clash : endings->clashes()) {
            lines.insert(clash.line);
            problems.append(QJsonObject{{QStringLiteral("line"), clash.line},
                                        {QStringLiteral("text"), clash.text()}});
            output().error(QStringLiteral("%1:%2: %3")
                               .arg(shownPath(planPath))
                               .arg(clash.line)
                               .arg(clash.text()));
        }
        result().insert(QStringLiteral("problems"), problems);
        finish(ExitCode::BadInput, QStringLiteral("%1 row(s) would move another device too; "
                                                  "nothing was sent")
                                       .arg(lines.size()));
    });
    try {
        if (!endings->start(m_toRun, discoveryOptions(context())))
            return m_run->start();
    } catch (const Failure &failure) {
        return fail(failure);
    }
    output().note(QStringLiteral("Looking on %1 for other devices that end like a row...")
                      .arg(endings->interfaces().join(QStringLiteral(", "))));
}

void CommissionCommand::interrupted(int count)
{
    m_interrupted = true;
    result().insert(QStringLiteral("interrupted"), true);
    if (count == 1) {
        output().note(QStringLiteral("Interrupted: no further device starts; waiting for the %1 "
                                     "running to finish (interrupt again to stop them now)")
                          .arg(m_run->running()));
        return m_run->stopStarting();
    }
    m_run->stopNow();
    for (auto it = m_stepOf.cbegin(); it != m_stepOf.cend(); ++it) {
        ReportRow &reported = m_report[m_reportIndex[it.key()]];
        reported.outcome = interruptedOutcome();
        reported.seconds = QString::number(
            double(m_clock.elapsed() - m_startedAt.value(it.key())) / 1000.0, 'f', 1);
        reported.failure =
            QStringLiteral("stopped during the %1 step by a second interrupt").arg(stepName(*it));
    }
    m_stepOf.clear();
    end();
}

void CommissionCommand::rowFinished(int index, const CommissionResult &outcome)
{
    m_stepOf.remove(index);
    const PlanRow &row = m_toRun[index];
    ReportRow &reported = m_report[m_reportIndex[index]];
    setResult(reported, outcome);
    QString line = rowLabel(row) + QStringLiteral(": ") + reported.outcome +
                   QStringLiteral(" (%1 s)").arg(reported.seconds);
    if (!reported.failure.isEmpty())
        line += QStringLiteral(": ") + reported.failure;
    output().note(line);
    // Added at once, so the report holds what was done even if the program
    // is killed; one line, whatever the size of the plan.
    try {
        m_reportFile.append(reportLine(reported).toUtf8());
    } catch (const Failure &failure) {
        output().error(QStringLiteral("The report %1 cannot be written: %2")
                           .arg(shownPath(m_reportPath), failureText(failure)));
    }
}

void CommissionCommand::end()
{
    if (m_interrupt) {
        // Ctrl-C ends the program again; not deleted here, as this may run
        // inside its signal.
        m_interrupt->disconnect(this);
        m_interrupt->deleteLater();
        m_interrupt = nullptr;
    }
    QJsonArray rows;
    int done = 0;
    const QString carried = QStringLiteral("  (carried over from %1)").arg(shownPath(m_resumePath));
    for (qsizetype i = 0; i < m_report.size(); ++i) {
        const ReportRow &row = m_report[i];
        rows.append(rowObject(row, m_resumed[i]));
        done += row.isDone() ? 1 : 0;
        output().line(QStringLiteral("%1  %2  %3  %4%5")
                          .arg(row.line, 4)
                          .arg(row.hardwareAddress, row.ip.leftJustified(15), row.outcome,
                               m_resumed[i] ? carried : QString()));
    }
    result().insert(QStringLiteral("rows"), rows);
    output().line(QStringLiteral("%1 of %2 device(s) done; report: %3")
                      .arg(done)
                      .arg(m_report.size())
                      .arg(shownPath(m_reportPath)));
    try {
        m_reportFile.replace(m_reportPath, reportText(m_report).toUtf8());
    } catch (const Failure &failure) {
        return finish(ExitCode::Environment,
                      QStringLiteral("The report %1 cannot be written: %2")
                          .arg(shownPath(m_reportPath), failureText(failure)));
    }
    if (done == m_report.size())
        return finish(ExitCode::Done);
    finish(ExitCode::DeviceFailed,
           m_interrupted
               ? QStringLiteral("Interrupted: %1 device(s) not done").arg(m_report.size() - done)
               : QStringLiteral("%1 device(s) not done").arg(m_report.size() - done));
}
