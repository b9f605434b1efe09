#include "cli/SaveCommand.h"

#include "cli/CliOutput.h"
#include "cli/DataFilePath.h"
#include "cli/ExitCode.h"
#include "core/datafile/DataFile.h"
#include "core/session/AppContext.h"
#include "core/support/Failure.h"
#include "core/support/SharedMessages.h"

#include <QJsonValue>

SaveCommand::SaveCommand(AppContext &context, CliOutput &output, QObject *parent)
    : QueryCommand(context, output, parent)
{
    result().insert(QStringLiteral("file"), QJsonValue());
    result().insert(QStringLiteral("outcome"), QJsonValue());
}

CommandDeclaration SaveCommand::declaration()
{
    return Declare<SaveCommand>(
               QStringLiteral("save"), {QStringLiteral("IP")},
               QStringLiteral(
                   "Query the device and store its record in the device data file (default: the\n"
                   "file of the settings); a record with the same IP address is replaced."))
        .text({QStringLiteral("--file")}, QStringLiteral("PATH"), &SaveCommand::m_file,
              QStringLiteral("the device data file"))
        .seconds({QStringLiteral("--timeout")}, &SaveCommand::m_timeoutMs,
                 QStringLiteral("how long the reply is awaited"));
}

bool SaveCommand::prepare()
{
    const DataFilePath chosen = chooseDataFile(context().settings, m_file);
    m_path = chosen.path;
    if (!m_path.isEmpty())
        result().insert(QStringLiteral("file"), m_path);
    if (!chosen.error.isEmpty()) {
        // The windows would ask again for a path whose folder is missing.
        if (chosen.folderMissing)
            ShowPathNotFoundMessage(*context().prompts);
        finish(ExitCode::BadInput, chosen.error);
        return false;
    }
    QList<FileUse> uses = programFileUses(context());
    uses.append({QStringLiteral("the device data file"), m_path, FileAccess::Write});
    if (const auto clash = findFileClash(uses)) {
        finish(ExitCode::BadInput, sameFileMessage(*clash));
        return false;
    }
    // Known before the device is asked.
    if (const QString why = dataFileNotWritable(m_path); !why.isEmpty()) {
        finish(ExitCode::Environment, why);
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
                               address(), shownPath(m_path)));
        finish(ExitCode::Done);
    } catch (const Failure &failure) {
        finish(exitCodeFor(failure), QStringLiteral("The device data file %1: Error %2: %3")
                                         .arg(shownPath(m_path))
                                         .arg(failure.number())
                                         .arg(failure.description()));
    }
}
