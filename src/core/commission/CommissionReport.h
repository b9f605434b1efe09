#pragma once

#include "core/commission/CommissionPlan.h"
#include "core/commission/DeviceCommissioning.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// One row of the report: a plan row, with a digest of each file it sends, and
// what became of it.
struct ReportRow {
    int line = 0;
    QString hardwareAddress;
    QString ip;
    QString outcome; // outcomeText(), "interrupted", or the earlier report's when resumed
    QString hardwareAddressRead;
    QString firmwareVersion; // as read
    QString firmwareType;
    QString deviceType;
    QString seconds; // "12.3"; empty when not started
    QString failure;
    // The plan's own columns, as checked (absolute paths, resolved destinations).
    QString firmware;
    QString firmwareSha256;
    QString firmwareVersionPlanned;
    QString destination;
    QString webPages;
    QString webPagesSha256;
    QString webDestination;

    bool isDone() const;
};

// The outcome of a device that a second interrupt stopped where it was.
QString interruptedOutcome();

// The columns of the report, in file order.
QStringList reportColumns();

// The plan's columns of a row, "not started". `sha256` maps each file path the
// plan sends to the digest of its content.
ReportRow plannedRow(const PlanRow &plan, const QHash<QString, QString> &sha256);
// What became of the device.
void setResult(ReportRow &row, const CommissionResult &result);

// The report as CSV: reportHeader() then one reportLine() per row.
QString reportHeader();
QString reportLine(const ReportRow &row);
QString reportText(const QList<ReportRow> &rows);

struct ReadReport {
    QList<ReportRow> rows;
    QString error; // why the file is no report; empty when it was read
};
// Reads a report written by reportText (columns by header name, so a report
// opened and saved by a spreadsheet still reads; a missing column reads as
// empty).
ReadReport readReport(const QString &path);
