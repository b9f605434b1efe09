// The commissioning plan on any file (beside it a firmware image, a web page
// archive and a product infobase that the rows may name).
//
// Every problem names a line of the file (or the file, alone); a row is
// taken only when its line has no problem, at most once per line, in file
// order, with a hardware address in its normal form and a host address in
// its normal form, neither of them on another row. The CSV records written back with quotes where
// needed read back as they were.

#include "FuzzSupport.h"
#include "core/commission/CommissionPlan.h"
#include "core/commission/CsvText.h"
#include "core/settings/ProgramPaths.h"
#include "core/settings/SettingsRecord.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QSet>

#include <optional>

namespace {

QString planFolder()
{
    static const QString folder = [] {
        const QString path = scratchFile(QStringLiteral("plan"));
        FUZZ_CHECK(QDir().mkpath(path));
        writeScratch(path + QStringLiteral("/fw.bin"), QByteArray(600, '\x5A'));
        writeScratch(path + QStringLiteral("/web.tar"), QByteArray(300, '\x11'));
        writeScratch(path + QStringLiteral("/ProductInfobase.txt"),
                     "\"3Q\",\"Standard\"\r\n\"4Q\",\"Other\"\r\n");
        return path;
    }();
    return folder;
}

// The value of a dotted address of four decimal octets, each at most 255.
std::optional<quint32> dottedValue(const QString &text)
{
    const QStringList octets = text.split('.');
    if (octets.size() != 4)
        return std::nullopt;
    quint32 value = 0;
    for (const QString &octet : octets) {
        bool ok = false;
        const uint part = octet.toUInt(&ok, 10);
        if (!ok || part > 255 || octet.isEmpty() || !octet.front().isDigit())
            return std::nullopt;
        value = value << 8 | part;
    }
    return value;
}

bool isHostAddress(quint32 value)
{
    const quint32 first = value >> 24;
    return first != 0 && first != 127 && first < 224;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = inputBytes(data, size);
    const QString path = planFolder() + QStringLiteral("/plan.csv");
    writeScratch(path, bytes);
    SettingsRecord settings;
    settings.InfobaseFile = QStringLiteral("ProductInfobase.txt");
    const ProgramPaths paths = ProgramPaths::portable(planFolder());

    const CommissionPlan plan = readCommissionPlan(path, settings, paths, false);
    const QString text = QString::fromUtf8(bytes);
    const int lines = int(text.count('\n')) + 1;
    QSet<int> problemLines;
    for (const PlanProblem &problem : plan.problems) {
        // Line 0 is the file as a whole, which is then the only problem.
        FUZZ_CHECK(problem.line >= 1
                       ? problem.line <= lines
                       : problem.line == 0 && plan.problems.size() == 1 && plan.rows.isEmpty());
        FUZZ_CHECK(!problem.text.isEmpty());
        problemLines.insert(problem.line);
    }

    static const QRegularExpression normalHardware(
        QStringLiteral("^[0-9A-F]{2}(-[0-9A-F]{2}){5}$"));
    QSet<QString> hardware;
    QSet<quint32> addresses;
    int previousLine = 1;
    for (const PlanRow &row : plan.rows) {
        FUZZ_CHECK(row.line > previousLine && row.line <= lines);
        FUZZ_CHECK(!problemLines.contains(row.line));
        previousLine = row.line;
        FUZZ_CHECK(normalHardware.match(row.hardwareAddress).hasMatch());
        FUZZ_CHECK(!hardware.contains(row.hardwareAddress));
        hardware.insert(row.hardwareAddress);
        const std::optional<quint32> value = dottedValue(row.ip);
        FUZZ_CHECK(value && isHostAddress(*value));
        FUZZ_CHECK(QHostAddress(*value).toString() == row.ip);
        FUZZ_CHECK(!addresses.contains(*value));
        addresses.insert(*value);
        FUZZ_CHECK(row.firmware.isEmpty() || QFileInfo(row.firmware).isFile());
        FUZZ_CHECK(row.webPages.isEmpty() || QFileInfo(row.webPages).isFile());
    }

    // Written after a header line, as the report writes its rows.
    const CsvText csv = parseCsv(text);
    if (csv.error.isEmpty()) {
        QString written = csvLine({QStringLiteral("header")});
        for (const CsvRecord &record : csv.records)
            written += csvLine(record.fields);
        const CsvText again = parseCsv(written);
        FUZZ_CHECK(again.error.isEmpty() && again.records.size() == csv.records.size() + 1);
        // A NUL cannot be written as text: it comes back as the replacement character.
        for (qsizetype i = 0; i < csv.records.size() && i + 1 < again.records.size(); ++i) {
            QStringList expected = csv.records[i].fields;
            for (QString &field : expected)
                field.replace(QChar(u'\0'), QChar(0xFFFD));
            FUZZ_CHECK(again.records[i + 1].fields == expected);
        }
    } else {
        FUZZ_CHECK(csv.errorLine >= 1 && csv.errorLine <= lines);
    }
    return 0;
}
