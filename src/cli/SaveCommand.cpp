#include "cli/SaveCommand.h"

#include "cli/CliOutput.h"
#include "cli/ExitCode.h"
#include "core/datafile/DataFile.h"
#include "core/session/AppContext.h"
#include "core/support/Failure.h"
#include "core/support/SharedMessages.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonValue>

SaveCommand::SaveCommand(AppContext &context, const Invocation &invocation, CliOutput &output,
                         QObject *parent)
    : QueryCommand(context, invocation, output, parent)
{
    result().insert(QStringLiteral("file"), QJsonValue());
    result().insert(QStringLiteral("outcome"), QJsonValue());
}

bool SaveCommand::prepare()
{
    const SettingsRecord &settings = context().settings;
    QString path = invocation().file;
    if (path.isEmpty() && !settings.DatabaseFileName.trimmed().isEmpty())
        path =
            joinLocation(settings.DatabaseFileDir.trimmed(), settings.DatabaseFileName.trimmed());
    if (path.isEmpty()) {
        finish(ExitCode::BadInput,
               QStringLiteral("No device data file in the settings: name one with --file PATH"));
        return false;
    }
    m_path = QFileInfo(path).absoluteFilePath();
    result().insert(QStringLiteral("file"), m_path);
    if (QFileInfo(m_path).isDir()) {
        finish(ExitCode::BadInput,
               QStringLiteral("%1 is a folder: name the device data file with --file PATH")
                   .arg(m_path));
        return false;
    }
    // The windows would ask again for a path whose folder is missing.
    if (!QFileInfo(m_path).dir().exists()) {
        ShowPathNotFoundMessage(*context().prompts);
        finish(ExitCode::BadInput, QStringLiteral("The folder of %1 does not exist: name another "
                                                  "file with --file PATH")
                                       .arg(m_path));
        return false;
    }
    return true;
}

void SaveCommand::replied(const DecodedReply &identity)
{
    const DeviceRecord record{{address(), identity.hardwareAddress.trimmed(),
                               identity.firmwareVersion.trimmed(), identity.firmwareType.trimmed(),
                               identity.deviceType.trimmed()}};
    try {
        const SaveOutcome outcome = saveDeviceRecord(m_path, record);
        storeLocation(context().settings, m_path);
        const bool replaced = outcome == SaveOutcome::Replaced;
        result().insert(QStringLiteral("outcome"),
                        replaced ? QStringLiteral("replaced") : QStringLiteral("appended"));
        output().line(QStringLiteral("%1 the record of %2 in %3")
                          .arg(replaced ? QStringLiteral("Replaced") : QStringLiteral("Appended"),
                               address(), m_path));
        finish(ExitCode::Done);
    } catch (const Failure &failure) {
        fail(failure);
    }
}
