#include "core/datafile/DeviceRecordSave.h"

#include "core/datafile/DataFile.h"
#include "core/settings/SettingsRecord.h"
#include "core/support/FileDialogLoop.h"
#include "core/support/Prompts.h"

bool saveRecordToChosenFile(Prompts &prompts, SettingsRecord &settings, const DeviceRecord &record)
{
    DeviceRecord trimmed;
    for (int i = 0; i < DeviceRecord::FieldCount; ++i)
        trimmed.fields[size_t(i)] = record.fields[size_t(i)].trimmed();

    const auto ask = [&]() -> std::optional<QString> {
        const FileDialogRequest request{
            QStringLiteral("Save As"), QStringLiteral("Text Files (*.txt)|*.txt"),
            settings.DatabaseFileDir.trimmed(), settings.DatabaseFileName.trimmed()};
        std::optional<QString> path = prompts.saveFile(request);
        if (path && path->isEmpty())
            return std::nullopt; // an empty path saves nothing, like a cancel
        return path;
    };
    const auto use = [&](const QString &path) {
        saveDeviceRecord(path, trimmed);
        storeLocation(settings, path);
    };
    return withChosenFile(prompts, ask, use);
}
