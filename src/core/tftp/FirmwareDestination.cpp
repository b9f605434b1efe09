#include "core/tftp/FirmwareDestination.h"

#include "core/settings/ProgramPaths.h"
#include "core/settings/SettingsRecord.h"
#include "core/support/Failure.h"
#include "core/tftp/ProductInfobase.h"

namespace {
const QString kFixedEndUser = QStringLiteral("KVR");
const QString kFixedDestination = QStringLiteral("Default KVR");
} // namespace

QString notInInfobaseMessage(const QString &destination)
{
    return QStringLiteral("Did not find the Destination File selected\r\n'") + destination +
           QStringLiteral(
               "' in the Product Infobase.\r\nPlease select another file and try again.");
}

FirmwareDestination resolveFirmwareDestination(const SettingsRecord &settings,
                                               const ProgramPaths &paths, const QString &requested,
                                               bool createMissing)
{
    FirmwareDestination result;
    const QString wanted = requested.trimmed();
    if (settings.EndUser == kFixedEndUser) {
        result.destination = kFixedDestination;
        result.deviceFileName = QStringLiteral("ROM");
        if (!wanted.isEmpty() && wanted != kFixedDestination)
            result.problem = FirmwareDestination::Problem::Fixed;
        return result;
    }

    const QString name = settings.InfobaseFile.trimmed();
    result.infobaseName = ProductInfobase::shownMissingName(name);
    result.infobasePath = paths.infobaseToRead(name);
    QList<InfobaseEntry> entries;
    bool useDefault = ProductInfobase::standsForDefault(name);
    if (!useDefault) {
        try {
            entries = ProductInfobase::read(result.infobasePath);
        } catch (const Failure &failure) {
            if (failure.number() != FailureNumber::FileNotFound)
                throw;
            if (!createMissing) {
                result.problem = FirmwareDestination::Problem::InfobaseMissing;
                return result;
            }
            useDefault = true;
        }
    }
    if (useDefault) {
        result.infobasePath = paths.prepareInfobaseCopy(ProductInfobase::defaultFileName());
        ProductInfobase::appendDefault(result.infobasePath);
        entries = {{QStringLiteral("3Q"), ProductInfobase::defaultDisplayName()}};
    }
    result.destination = wanted.isEmpty() ? entries.first().displayName : wanted;
    const std::optional<QString> fileName =
        ProductInfobase::lookUp(result.infobasePath, result.destination);
    if (!fileName)
        result.problem = FirmwareDestination::Problem::NotInInfobase;
    else
        result.deviceFileName = *fileName;
    return result;
}
