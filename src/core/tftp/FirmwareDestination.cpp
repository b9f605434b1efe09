#include "core/tftp/FirmwareDestination.h"

#include "core/settings/ProgramPaths.h"
#include "core/settings/SettingsRecord.h"
#include "core/tftp/ProductInfobase.h"

namespace {

const QString kFixedEndUser = QStringLiteral("KVR");
const QString kFixedDestination = QStringLiteral("Default KVR");

// The default file takes the named infobase's place; a failure leaves the
// effective infobase as it was before the step that failed.
void useDefaultInfobase(const ProgramPaths &paths, FirmwareDestinationList &list)
{
    list.infobasePath = paths.prepareInfobaseCopy(ProductInfobase::defaultFileName());
    ProductInfobase::appendDefault(list.infobasePath);
    list.destinations = {ProductInfobase::defaultDisplayName()};
}

void readInfobase(const ProgramPaths &paths, const QString &name,
                  const CreateInfobaseQuestion &createMissing, FirmwareDestinationList &list)
{
    list.infobasePath = paths.infobaseToRead(name);
    QList<InfobaseEntry> entries;
    try {
        entries = ProductInfobase::read(list.infobasePath);
    } catch (const Failure &failure) {
        if (failure.number() != FailureNumber::FileNotFound)
            throw;
        if (createMissing && createMissing(list.infobaseName))
            useDefaultInfobase(paths, list);
        else
            list.infobaseMissing = true;
        return;
    }
    for (const InfobaseEntry &entry : entries)
        list.destinations << entry.displayName;
}

} // namespace

QString notInInfobaseMessage(const QString &destination)
{
    return QStringLiteral("Did not find the Destination File selected\r\n'") + destination +
           QStringLiteral(
               "' in the Product Infobase.\r\nPlease select another file and try again.");
}

FirmwareDestinationList loadFirmwareDestinations(const SettingsRecord &settings,
                                                 const ProgramPaths &paths,
                                                 const CreateInfobaseQuestion &createMissing)
{
    FirmwareDestinationList list;
    if (settings.EndUser == kFixedEndUser) {
        list.fixed = true;
        list.destinations = {kFixedDestination};
        return list;
    }
    const QString name = settings.InfobaseFile.trimmed();
    list.infobaseName = ProductInfobase::shownMissingName(name);
    try {
        if (ProductInfobase::standsForDefault(name))
            useDefaultInfobase(paths, list);
        else
            readInfobase(paths, name, createMissing, list);
    } catch (const Failure &failure) {
        list.failure = failure;
    }
    return list;
}

FirmwareDestination lookUpFirmwareDestination(const FirmwareDestinationList &list,
                                              const QString &requested)
{
    FirmwareDestination result;
    result.infobasePath = list.infobasePath;
    result.infobaseName = list.infobaseName;
    const QString wanted = requested.trimmed();
    if (list.fixed) {
        result.destination = kFixedDestination;
        result.deviceFileName = QStringLiteral("ROM");
        if (!wanted.isEmpty() && wanted != kFixedDestination)
            result.problem = FirmwareDestination::Problem::Fixed;
        return result;
    }
    result.destination = wanted.isEmpty() ? list.destinations.value(0) : wanted;
    if (const std::optional<QString> fileName =
            ProductInfobase::lookUp(list.infobasePath, result.destination))
        result.deviceFileName = *fileName;
    else
        result.problem = FirmwareDestination::Problem::NotInInfobase;
    return result;
}

FirmwareDestination resolveFirmwareDestination(const SettingsRecord &settings,
                                               const ProgramPaths &paths, const QString &requested,
                                               bool createMissing)
{
    const FirmwareDestinationList list = loadFirmwareDestinations(
        settings, paths, [createMissing](const QString &) { return createMissing; });
    if (list.failure)
        throw *list.failure;
    if (!list.infobaseMissing)
        return lookUpFirmwareDestination(list, requested);
    FirmwareDestination result;
    result.problem = FirmwareDestination::Problem::InfobaseMissing;
    result.infobasePath = list.infobasePath;
    result.infobaseName = list.infobaseName;
    return result;
}
