#include "query/DeviceRecordSave.h"

#include "app/AppContext.h"
#include "app/FileDialogLoop.h"
#include "platform/Prompts.h"
#include "query/DataFile.h"

bool saveRecordToChosenFile(AppContext &context, const DeviceRecord &record)
{
    DeviceRecord trimmed;
    for (int i = 0; i < DeviceRecord::FieldCount; ++i)
        trimmed.fields[size_t(i)] = record.fields[size_t(i)].trimmed();

    Prompts &prompts = *context.prompts;
    const auto ask = [&]() -> std::optional<QString> {
        const FileDialogRequest request{QStringLiteral("Save As"),
                                        QStringLiteral("Text Files (*.txt)|*.txt"),
                                        context.settings.DatabaseFileDir.trimmed(),
                                        context.settings.DatabaseFileName.trimmed()};
        std::optional<QString> path = prompts.saveFile(request);
        if (path && path->isEmpty())
            return std::nullopt; // an empty path saves nothing, like a cancel
        return path;
    };
    const auto use = [&](const QString &path) {
        saveDeviceRecord(path, trimmed);
        storeLocation(context.settings, path);
    };
    return withChosenFile(prompts, ask, use);
}
