#include "core/commission/CommissionPlan.h"

#include "core/commission/CsvText.h"
#include "core/device/AddressText.h"
#include "core/device/HostAddress.h"
#include "core/support/Failure.h"
#include "core/support/ShownText.h"
#include "core/tftp/FirmwareDestination.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QHostAddress>
#include <QRegularExpression>

namespace {

const QString kHardware = QStringLiteral("hardware_address");
const QString kIp = QStringLiteral("ip");
const QString kFirmware = QStringLiteral("firmware");
const QString kVersion = QStringLiteral("firmware_version");
const QString kDestination = QStringLiteral("destination");
const QString kWebPages = QStringLiteral("web_pages");
const QString kWebDestination = QStringLiteral("web_destination");

// Paths are longer than other fields, but no less the plan's text.
constexpr qsizetype kShownPath = 300;

// A file the upload could open, or why not.
QString fileProblem(const QString &column, const QString &path)
{
    const QFileInfo info(path);
    const QString shown = shownText(path, kShownPath);
    if (!info.exists())
        return QStringLiteral("%1: no such file %2").arg(column, shown);
    if (!info.isFile())
        return QStringLiteral("%1: %2 is not a file").arg(column, shown);
    if (!info.isReadable())
        return QStringLiteral("%1: %2 cannot be read").arg(column, shown);
    return {};
}

class PlanChecker {
public:
    PlanChecker(const QString &folder, const SettingsRecord &settings, const ProgramPaths &paths,
                bool createInfobase)
        : m_folder(folder), m_settings(settings), m_paths(paths), m_createInfobase(createInfobase),
          m_interfaces(localInterfaces())
    {
    }

    void check(const CsvText &csv, CommissionPlan &plan);

private:
    QString value(const CsvRecord &record, const QString &column) const
    {
        const int index = m_columns.value(column, -1);
        return index < 0 ? QString() : record.fields.value(index).trimmed();
    }
    QString absolute(const QString &path) const
    {
        return QFileInfo(QDir(m_folder), path).absoluteFilePath();
    }
    bool readHeader(const CsvRecord &header, CommissionPlan &plan);
    void checkRow(const CsvRecord &record, CommissionPlan &plan);
    void checkFirmware(const CsvRecord &record, PlanRow &row, QStringList &problems);
    void checkWebPages(const CsvRecord &record, PlanRow &row, QStringList &problems);
    void checkEnding(const PlanRow &row, QStringList &problems);

    QString m_folder;
    const SettingsRecord &m_settings;
    const ProgramPaths &m_paths;
    bool m_createInfobase;
    QList<LocalInterface> m_interfaces; // the subnets new addresses are judged in
    QHash<QString, int> m_columns;
    QHash<QString, int> m_lineOfHardware;
    QHash<quint32, int> m_lineOfAddress; // by value: one address has one key
    QHash<quint16, PlanRow> m_rowOfEnding; // by the last two hardware-address bytes
};

bool PlanChecker::readHeader(const CsvRecord &header, CommissionPlan &plan)
{
    const QStringList known = planColumns();
    for (int i = 0; i < header.fields.size(); ++i) {
        const QString name = header.fields[i].trimmed().toLower();
        if (name.isEmpty())
            plan.problems.append(
                {header.line,
                 i + 1 == header.fields.size()
                     ? QStringLiteral("the header ends in a comma (remove it: a column "
                                      "needs a name)")
                     : QStringLiteral("column %1 of the header has no name").arg(i + 1)});
        else if (!known.contains(name))
            plan.problems.append(
                {header.line, QStringLiteral("unknown column \"%1\" (the columns are %2)")
                                  .arg(shownText(header.fields[i]), known.join(u','))});
        else if (m_columns.contains(name))
            plan.problems.append({header.line, QStringLiteral("column %1 twice").arg(name)});
        else
            m_columns.insert(name, i);
    }
    for (const QString &required : {kHardware, kIp})
        if (!m_columns.contains(required))
            plan.problems.append(
                {header.line, QStringLiteral("the header has no %1 column").arg(required)});
    return plan.problems.isEmpty();
}

void PlanChecker::checkFirmware(const CsvRecord &record, PlanRow &row, QStringList &problems)
{
    const QString file = value(record, kFirmware);
    row.firmwareVersion = value(record, kVersion);
    row.firmwareDestination = value(record, kDestination);
    if (file.isEmpty()) {
        if (!row.firmwareVersion.isEmpty())
            problems.append(QStringLiteral("firmware_version without firmware"));
        if (!row.firmwareDestination.isEmpty())
            problems.append(QStringLiteral("destination without firmware"));
        return;
    }
    row.firmware = absolute(file);
    if (const QString why = fileProblem(kFirmware, row.firmware); !why.isEmpty())
        problems.append(why);
    // Without the version the upload could neither be skipped nor checked.
    if (row.firmwareVersion.isEmpty())
        problems.append(QStringLiteral("firmware without firmware_version"));
    try {
        const FirmwareDestination resolved = resolveFirmwareDestination(
            m_settings, m_paths, row.firmwareDestination, m_createInfobase);
        row.firmwareDestination = resolved.destination;
        row.firmwareDeviceFile = resolved.deviceFileName;
        switch (resolved.problem) {
        case FirmwareDestination::Problem::None:
            break;
        case FirmwareDestination::Problem::InfobaseMissing:
            problems.append(QStringLiteral("the product infobase '%1' was not found (give "
                                           "--create-infobase to have a default one created)")
                                .arg(shownText(resolved.infobaseName, kShownPath)));
            break;
        case FirmwareDestination::Problem::NotInInfobase:
            problems.append(QStringLiteral("destination \"%1\" is not in the product infobase")
                                .arg(shownText(resolved.destination)));
            break;
        case FirmwareDestination::Problem::Fixed:
            problems.append(QStringLiteral("the settings fix the destination to \"%1\"")
                                .arg(shownText(resolved.destination)));
            break;
        }
    } catch (const Failure &failure) {
        problems.append(QStringLiteral("the product infobase cannot be read: %1")
                            .arg(shownText(failure.description(), kShownPath)));
    }
}

void PlanChecker::checkWebPages(const CsvRecord &record, PlanRow &row, QStringList &problems)
{
    const QString file = value(record, kWebPages);
    const QString directory = value(record, kWebDestination);
    if (file.isEmpty()) {
        if (!directory.isEmpty())
            problems.append(QStringLiteral("web_destination without web_pages"));
        return;
    }
    row.webPages = absolute(file);
    row.webDestination = directory.isEmpty() ? QStringLiteral("WEB6") : directory;
    if (const QString why = fileProblem(kWebPages, row.webPages); !why.isEmpty())
        problems.append(why);
}

// One IP-SETUP moves every device whose hardware address ends in its two
// bytes, so two such rows cannot both be given their own addresses, one
// after the other or not.
void PlanChecker::checkEnding(const PlanRow &row, QStringList &problems)
{
    const auto tail = HardwareAddressTail(row.hardwareAddress);
    const quint16 ending = quint16(tail[0] << 8 | tail[1]);
    if (const auto first = m_rowOfEnding.constFind(ending); first != m_rowOfEnding.cend())
        problems.append(QStringLiteral("hardware_address %1 ends in the same two bytes as %2 on "
                                       "line %3: IP-SETUP selects a device by those bytes, so "
                                       "each datagram would move both")
                            .arg(row.hardwareAddress, first->hardwareAddress)
                            .arg(first->line));
    else
        m_rowOfEnding.insert(ending, row);
}

void PlanChecker::checkRow(const CsvRecord &record, CommissionPlan &plan)
{
    QStringList problems;
    if (record.fields.size() > m_columns.size() &&
        !record.fields.mid(m_columns.size()).join(QString()).trimmed().isEmpty())
        problems.append(QStringLiteral("more fields than the header has columns"));

    PlanRow row;
    row.line = record.line;
    const QString hardwareText = value(record, kHardware);
    row.hardwareAddress = normalHardwareAddress(hardwareText);
    if (row.hardwareAddress.isEmpty())
        problems.append(
            QStringLiteral("hardware_address \"%1\" is not six hex pairs like 02-00-00-14-01-18")
                .arg(shownText(hardwareText)));
    else if (const int first = m_lineOfHardware.value(row.hardwareAddress); first > 0)
        problems.append(QStringLiteral("hardware_address %1 is already on line %2")
                            .arg(row.hardwareAddress)
                            .arg(first));
    else {
        m_lineOfHardware.insert(row.hardwareAddress, row.line);
        checkEnding(row, problems);
    }

    const AddressReading ip =
        readNewDeviceAddress(value(record, kIp), AddressSpelling::Plain, m_interfaces);
    if (!ip.value) {
        problems.append(QStringLiteral("ip ") + ip.problem);
    } else {
        row.address = *ip.value;
        row.ip = QHostAddress(row.address).toString();
        if (const int first = m_lineOfAddress.value(row.address); first > 0)
            problems.append(QStringLiteral("ip %1 is already on line %2").arg(row.ip).arg(first));
        else
            m_lineOfAddress.insert(row.address, row.line);
    }

    checkFirmware(record, row, problems);
    checkWebPages(record, row, problems);
    for (const QString &problem : std::as_const(problems))
        plan.problems.append({record.line, problem});
    if (problems.isEmpty())
        plan.rows.append(row);
}

void PlanChecker::check(const CsvText &csv, CommissionPlan &plan)
{
    if (csv.records.isEmpty()) {
        plan.problems.append({1, QStringLiteral("the plan is empty: it needs a header row")});
        return;
    }
    if (!readHeader(csv.records.first(), plan))
        return;
    for (const CsvRecord &record : csv.records.mid(1))
        checkRow(record, plan);
    if (csv.records.size() == 1)
        plan.problems.append({1, QStringLiteral("the plan has no device rows")});
}

} // namespace

QStringList planColumns()
{
    return {kHardware, kIp, kFirmware, kVersion, kDestination, kWebPages, kWebDestination};
}

QString normalHardwareAddress(const QString &text)
{
    static const QRegularExpression pairs(
        QStringLiteral("^[0-9A-Fa-f]{2}([-:])[0-9A-Fa-f]{2}(\\1[0-9A-Fa-f]{2}){4}$"));
    const QString trimmed = text.trimmed();
    if (!pairs.match(trimmed).hasMatch())
        return {};
    return QString(trimmed).replace(QLatin1Char(':'), QLatin1Char('-')).toUpper();
}

CommissionPlan readCommissionPlan(const QString &path, const SettingsRecord &settings,
                                  const ProgramPaths &paths, bool createInfobase)
{
    CommissionPlan plan;
    QString error;
    const QString text = readCsvFile(path, &error);
    if (!error.isEmpty()) {
        plan.problems.append({0, QStringLiteral("the plan %1").arg(error)});
        return plan;
    }
    const CsvText csv = parseCsv(text);
    if (!csv.error.isEmpty()) {
        plan.problems.append({csv.errorLine, csv.error});
        return plan;
    }
    PlanChecker(QFileInfo(path).absolutePath(), settings, paths, createInfobase).check(csv, plan);
    return plan;
}
