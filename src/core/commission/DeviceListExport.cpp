#include "core/commission/DeviceListExport.h"

#include "core/commission/CommissionPlan.h"
#include "core/commission/CsvText.h"
#include "core/support/Failure.h"
#include "core/support/ReplacedFile.h"

QByteArray deviceListCsv(const QList<ListedDevice> &devices)
{
    QString text = csvLine(deviceListTitles());
    for (const ListedDevice &device : devices)
        text += csvLine(deviceListFields(device));
    return text.toUtf8();
}

QByteArray planTemplateCsv(const QList<ListedDevice> &devices)
{
    const QStringList columns = planColumns();
    const qsizetype hardware = columns.indexOf(QStringLiteral("hardware_address"));
    QString text = csvLine(columns);
    for (const ListedDevice &device : devices) {
        QStringList row(columns.size());
        row[hardware] = device.device.identity.hardwareAddress;
        text += csvLine(row);
    }
    return text.toUtf8();
}

void writeExport(const FileUse &target, const QList<FileUse> &read, const QByteArray &bytes)
{
    if (const auto clash = findFileClash(read + QList<FileUse>{target}))
        throw Failure(FailureNumber::PathFileAccessError, sameFileMessage(*clash));
    ReplacedFile().replace(target.path, bytes);
}
