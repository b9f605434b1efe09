// The commissioning report. The input is rows to write (one per part up to
// 0x1E, fields separated by 0x1F, up to a part that is empty) followed by a
// file to read.
//
// The rows written read back equal, whatever their texts hold; any file
// reads as a report or as an error that names it, never both, and what it
// reads writes back to the same rows.

#include "FuzzSupport.h"
#include "core/commission/CommissionReport.h"

#include <QRegularExpression>

namespace {

bool same(const ReportRow &a, const ReportRow &b)
{
    return a.line == b.line && a.hardwareAddress == b.hardwareAddress && a.ip == b.ip &&
           a.outcome == b.outcome && a.hardwareAddressRead == b.hardwareAddressRead &&
           a.firmwareVersion == b.firmwareVersion && a.firmwareType == b.firmwareType &&
           a.deviceType == b.deviceType && a.seconds == b.seconds && a.failure == b.failure &&
           a.firmware == b.firmware && a.firmwareSha256 == b.firmwareSha256 &&
           a.firmwareVersionPlanned == b.firmwareVersionPlanned && a.destination == b.destination &&
           a.webPages == b.webPages && a.webPagesSha256 == b.webPagesSha256 &&
           a.webDestination == b.webDestination;
}

bool same(const QList<ReportRow> &a, const QList<ReportRow> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (!same(a[i], b[i]))
            return false;
    return true;
}

// A row as the writer is given one: the plan's hardware address and IP as
// the plan check leaves them, the outcome as the run names it, and every
// other text as a device or a failure gave it.
ReportRow rowOf(const QByteArray &part)
{
    const QList<QByteArray> bytes = part.split('\x1F');
    const auto field = [&](qsizetype i) { return QString::fromUtf8(bytes.value(i)); };
    ReportRow row;
    row.line = field(0).toInt();
    row.hardwareAddress = normalHardwareAddress(field(1));
    row.ip = field(2).trimmed();
    row.outcome = field(3).trimmed();
    row.hardwareAddressRead = field(4);
    row.firmwareVersion = field(5);
    row.firmwareType = field(6);
    row.deviceType = field(7);
    row.seconds = field(8);
    row.failure = field(9);
    row.firmware = field(10);
    row.firmwareSha256 = field(11);
    row.firmwareVersionPlanned = field(12);
    row.destination = field(13);
    row.webPages = field(14);
    row.webPagesSha256 = field(15);
    row.webDestination = field(16);
    return row;
}

// The row as the file keeps it: a NUL cannot be written as text.
ReportRow stored(ReportRow row)
{
    for (QString *text :
         {&row.hardwareAddress, &row.ip, &row.outcome, &row.hardwareAddressRead,
          &row.firmwareVersion, &row.firmwareType, &row.deviceType, &row.seconds, &row.failure,
          &row.firmware, &row.firmwareSha256, &row.firmwareVersionPlanned, &row.destination,
          &row.webPages, &row.webPagesSha256, &row.webDestination})
        text->replace(QChar(u'\0'), QChar(0xFFFD));
    return row;
}

ReadReport readText(const QString &text)
{
    const QString path = scratchFile(QStringLiteral("report.csv"));
    writeScratch(path, text.toUtf8());
    return readReport(path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    InputParts parts(inputBytes(data, size));
    QList<ReportRow> rows;
    QList<ReportRow> kept;
    for (QByteArray part = parts.next(); !part.isEmpty(); part = parts.next()) {
        rows.append(rowOf(part));
        kept.append(stored(rows.last()));
    }
    const ReadReport written = readText(reportText(rows));
    FUZZ_CHECK(written.error.isEmpty());
    FUZZ_CHECK(same(written.rows, kept));

    const QString path = scratchFile(QStringLiteral("report.csv"));
    writeScratch(path, parts.rest());
    const ReadReport read = readReport(path);
    FUZZ_CHECK(read.error.isEmpty() || (read.rows.isEmpty() && read.error.contains(path)));
    static const QRegularExpression normalHardware(
        QStringLiteral("^([0-9A-F]{2}(-[0-9A-F]{2}){5})?$"));
    for (const ReportRow &row : read.rows)
        FUZZ_CHECK(normalHardware.match(row.hardwareAddress).hasMatch());
    if (read.error.isEmpty()) {
        const ReadReport again = readText(reportText(read.rows));
        FUZZ_CHECK(again.error.isEmpty() && same(again.rows, read.rows));
    }
    return 0;
}
