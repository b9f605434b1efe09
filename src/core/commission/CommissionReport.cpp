#include "core/commission/CommissionReport.h"

#include "core/commission/CsvText.h"
#include "core/support/FileIdentity.h"

namespace {
// Each column with the field of the row it holds, in file order.
struct Column {
    const char *name;
    QString ReportRow::*field; // null for the line
};
const Column kColumns[] = {
    {"line", nullptr},
    {"hardware_address", &ReportRow::hardwareAddress},
    {"ip", &ReportRow::ip},
    {"outcome", &ReportRow::outcome},
    {"hardware_address_read", &ReportRow::hardwareAddressRead},
    {"firmware_version", &ReportRow::firmwareVersion},
    {"firmware_type", &ReportRow::firmwareType},
    {"device_type", &ReportRow::deviceType},
    {"seconds", &ReportRow::seconds},
    {"failure", &ReportRow::failure},
    {"firmware", &ReportRow::firmware},
    {"firmware_sha256", &ReportRow::firmwareSha256},
    {"firmware_version_planned", &ReportRow::firmwareVersionPlanned},
    {"destination", &ReportRow::destination},
    {"web_pages", &ReportRow::webPages},
    {"web_pages_sha256", &ReportRow::webPagesSha256},
    {"web_destination", &ReportRow::webDestination},
};
} // namespace

bool ReportRow::isDone() const
{
    return outcome == QLatin1String("done") || outcome == QLatin1String("already done");
}

QString interruptedOutcome()
{
    return QStringLiteral("interrupted");
}

QStringList reportColumns()
{
    QStringList names;
    for (const Column &column : kColumns)
        names.append(QLatin1String(column.name));
    return names;
}

ReportRow plannedRow(const PlanRow &plan, const QHash<QString, QString> &sha256)
{
    ReportRow row;
    row.line = plan.line;
    row.hardwareAddress = plan.hardwareAddress;
    row.ip = plan.ip;
    row.outcome = outcomeText(CommissionResult{});
    row.firmware = plan.firmware;
    row.firmwareSha256 = plan.firmware.isEmpty() ? QString() : sha256.value(plan.firmware);
    row.firmwareVersionPlanned = plan.firmwareVersion;
    row.destination = plan.firmware.isEmpty() ? QString() : plan.firmwareDestination;
    row.webPages = plan.webPages;
    row.webPagesSha256 = plan.webPages.isEmpty() ? QString() : sha256.value(plan.webPages);
    row.webDestination = plan.webPages.isEmpty() ? QString() : plan.webDestination;
    return row;
}

void setResult(ReportRow &row, const CommissionResult &result)
{
    row.outcome = outcomeText(result);
    const DecodedReply identity = result.identity.value_or(DecodedReply{});
    row.hardwareAddressRead = identity.hardwareAddress.trimmed();
    row.firmwareVersion = identity.firmwareVersion.trimmed();
    row.firmwareType = identity.firmwareType.trimmed();
    row.deviceType = identity.deviceType.trimmed();
    row.seconds = result.outcome == CommissionResult::Outcome::NotStarted
                      ? QString()
                      : QString::number(double(result.elapsedMs) / 1000.0, 'f', 1);
    row.failure = result.failure;
}

QString reportHeader()
{
    return csvLine(reportColumns());
}

QString reportLine(const ReportRow &row)
{
    QStringList fields;
    for (const Column &column : kColumns)
        fields.append(column.field ? row.*column.field : QString::number(row.line));
    return csvLine(fields);
}

QString reportText(const QList<ReportRow> &rows)
{
    QString text = reportHeader();
    for (const ReportRow &row : rows)
        text += reportLine(row);
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
        read.error = QStringLiteral("%1 is no commissioning report").arg(shownPath(path));
        return read;
    }
    const QStringList header = csv.records.first().fields;
    for (const char *needed : {"hardware_address", "ip", "outcome"})
        if (!header.contains(QLatin1String(needed))) {
            read.error = QStringLiteral("%1 is no commissioning report: it has no %2 column")
                             .arg(shownPath(path), QLatin1String(needed));
            return read;
        }
    QList<int> index;
    for (const Column &column : kColumns)
        index.append(int(header.indexOf(QLatin1String(column.name))));
    for (const CsvRecord &record : csv.records.mid(1)) {
        ReportRow row;
        for (qsizetype i = 0; i < index.size(); ++i) {
            const QString field = index[i] < 0 ? QString() : record.fields.value(index[i]);
            if (kColumns[i].field)
                row.*kColumns[i].field = field;
            else
                row.line = field.toInt();
        }
        row.hardwareAddress = normalHardwareAddress(row.hardwareAddress);
        row.ip = row.ip.trimmed();
        row.outcome = row.outcome.trimmed();
        read.rows.append(row);
    }
    return read;
}
