#include "core/device/DeviceSearchSettings.h"

#include "core/settings/IniFile.h"

namespace {
const QString kSection = QStringLiteral("FindDevices");
const QString kInterface = QStringLiteral("Interface");
const QString kTimeout = QStringLiteral("Timeout");
const QString kAll = QStringLiteral("all");
} // namespace

DeviceSearchSettings readDeviceSearchSettings(const QString &settingsFile, int defaultTimeoutMs)
{
    const IniFile ini(settingsFile);
    DeviceSearchSettings settings;
    settings.interfaceName = ini.read(kSection, kInterface, kAll, IniFile::kWholeValue).value;
    if (settings.interfaceName.compare(kAll, Qt::CaseInsensitive) == 0)
        settings.interfaceName.clear();
    settings.timeoutMs = defaultTimeoutMs;
    bool number = false;
    const double seconds =
        ini.read(kSection, kTimeout, QString(), IniFile::kWholeValue).value.toDouble(&number);
    if (number && seconds > 0 && seconds <= 3600)
        settings.timeoutMs = qMax(1, int(seconds * 1000));
    return settings;
}

bool storeSearchInterface(const QString &settingsFile, const QString &interfaceName)
{
    return IniFile(settingsFile)
        .write(kSection, kInterface, interfaceName.isEmpty() ? kAll : interfaceName);
}
