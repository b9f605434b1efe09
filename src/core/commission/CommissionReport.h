#pragma once

#include "core/commission/CommissionPlan.h"
#include "core/commission/DeviceCommissioning.h"

#include <QList>
#include <QString>
#include <QStringList>

// One row of the report: a plan row and what became of it.
struct ReportRow {
    int line = 0;
    QString hardwareAddress;
    QString ip;
    QString outcome; // outcomeText(), or the earlier report's when resumed
    QString hardwareAddressRead;
    QString firmwareVersion;
    QString firmwareType;
    QString deviceType;
    QString seconds; // "12.3"; empty when not started
    QString failure;

    bool isDone() const;
};

// The columns of the report, in file order.
QStringList reportColumns();

ReportRow reportRow(const PlanRow &plan, const CommissionResult &result);

// The report as CSV, a header then one line per row.
QString reportText(const QList<ReportRow> &rows);

struct ReadReport {
    QList<ReportRow> rows;
    QString error; // why the file is no report; empty when it was read
};
// Reads a report written by reportText (columns by header name, so a report
// opened and saved by a spreadsheet still reads).
ReadReport readReport(const QString &path);
