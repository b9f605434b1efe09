#include "core/commission/CommissionReport.h"

#include "core/commission/CsvText.h"

namespace {
QStringList fieldsOf(const ReportRow &row)
{
    return {QString::number(row.line),
            row.hardwareAddress,
            row.ip,
            row.outcome,
            row.hardwareAddressRead,
            row.firmwareVersion,
            row.firmwareType,
            row.deviceType,
            row.seconds,
            row.failure};
}
} // namespace

bool ReportRow::isDone() const
{
    return outcome == QLatin1String("done") || outcome == QLatin1String("already done");
}

QStringList reportColumns()
{
    return {QStringLiteral("line"),
            QStringLiteral("hardware_address"),
            QStringLiteral("ip"),
            QStringLiteral("outcome"),
            QStringLiteral("hardware_address_read"),
            QStringLiteral("firmware_version"),
            QStringLiteral("firmware_type"),
            QStringLiteral("device_type"),
            QStringLiteral("seconds"),
            QStringLiteral("failure")};
}

ReportRow reportRow(const PlanRow &plan, const CommissionResult &result)
{
    ReportRow row;
    row.line = plan.line;
    row.hardwareAddress = plan.hardwareAddress;
    row.ip = plan.ip;
    row.outcome = outcomeText(result);
    if (result.identity) {
        row.hardwareAddressRead = result.identity->hardwareAddress.trimmed();
        row.firmwareVersion = result.identity->firmwareVersion.trimmed();
        row.firmwareType = result.identity->firmwareType.trimmed();
        row.deviceType = result.identity->deviceType.trimmed();
    }
    if (result.outcome != CommissionResult::Outcome::NotStarted)
        row.seconds = QString::number(double(result.elapsedMs) / 1000.0, 'f', 1);
    row.failure = result.failure;
    return row;
}

QString reportText(const QList<ReportRow> &rows)
{
    QString text = csvLine(reportColumns());
    for (const ReportRow &row : rows)
        text += csvLine(fieldsOf(row));
    return text;
}

ReadReport readReport(const QString &path)
{
    ReadReport read;
    const QString text = readCsvFile(path, &read.error);
    if (!read.error.isEmpty())
        return read;
    const CsvText csv = parseCsv(text);
    if (!csv.error.isEmpty() || csv.records.isEmpty()) {
        read.error = QStringLiteral("%1 is no commissioning report").arg(path);
        return read;
    }
    const QStringList header = csv.records.first().fields;
    const QStringList columns = reportColumns();
    QList<int> index;
    for (const QString &column : columns)
        index.append(int(header.indexOf(column)));
    for (const char *needed : {"hardware_address", "ip", "outcome"})
        if (!header.contains(QLatin1String(needed))) {
            read.error = QStringLiteral("%1 is no commissioning report: it has no %2 column")
                             .arg(path, QLatin1String(needed));
            return read;
        }
    for (const CsvRecord &record : csv.records.mid(1)) {
        QStringList f;
        for (const int at : std::as_const(index))
            f.append(at < 0 ? QString() : record.fields.value(at));
        read.rows.append({f[0].toInt(), normalHardwareAddress(f[1]), f[2].trimmed(), f[3].trimmed(),
                          f[4], f[5], f[6], f[7], f[8], f[9]});
    }
    return read;
}
