#include "cli/LoadCommand.h"

#include "cli/CliOutput.h"
#include "cli/ExitCode.h"
#include "core/session/AppContext.h"
#include "core/session/EngineOptions.h"
#include "core/support/Failure.h"
#include "core/support/SharedMessages.h"
#include "core/tftp/FirmwareDestination.h"
#include "core/tftp/TftpTransfer.h"

#include <QFileInfo>
#include <QJsonValue>

LoadCommand::LoadCommand(Kind kind, AppContext &context, CliOutput &output, QObject *parent)
    : CliCommand(context, output, parent), m_kind(kind)
{
    // Firmware: empty is the infobase's first entry.
    if (kind == Kind::WebPages)
        m_destination = QStringLiteral("WEB6");
    for (const char *field : {"address", "file", "destination", "deviceFileName"})
        result().insert(QLatin1String(field), QJsonValue());
    result().insert(QStringLiteral("bytes"), QJsonValue());
    result().insert(QStringLiteral("sent"), 0);
}

CommandDeclaration LoadCommand::firmwareDeclaration()
{
    return Declare<LoadCommand>(
               QStringLiteral("load-firmware"), {QStringLiteral("IP"), QStringLiteral("FILE")},
               QStringLiteral(
                   "Send a firmware image by TFTP. NAME is a display name of the product infobase\n"
                   "(default: its first entry); --create-infobase (or --yes) lets a missing\n"
                   "infobase be replaced by the default one."))
        .madeBy([](AppContext &context, CliOutput &output) {
            return std::make_unique<LoadCommand>(Kind::Firmware, context, output);
        })
        .text({QStringLiteral("--destination")}, QStringLiteral("NAME"),
              &LoadCommand::m_destination, QStringLiteral("a display name of the product infobase"))
        .flag({QStringLiteral("--create-infobase")}, &LoadCommand::m_createInfobase,
              QStringLiteral("let a missing infobase be replaced by the default one"))
        .answersYes(QStringLiteral("as --create-infobase"))
        .seconds({QStringLiteral("--timeout")}, &LoadCommand::m_timeoutMs,
                 QStringLiteral("how long the whole transfer may take"));
}

CommandDeclaration LoadCommand::webPagesDeclaration()
{
    return Declare<LoadCommand>(
               QStringLiteral("load-web"), {QStringLiteral("IP"), QStringLiteral("FILE")},
               QStringLiteral(
                   "Send a web page archive by TFTP into a web directory (default WEB6)."))
        .madeBy([](AppContext &context, CliOutput &output) {
            return std::make_unique<LoadCommand>(Kind::WebPages, context, output);
        })
        .text({QStringLiteral("--destination")}, QStringLiteral("WEB1..WEB6"),
              &LoadCommand::m_destination, QStringLiteral("the web directory"))
        .seconds({QStringLiteral("--timeout")}, &LoadCommand::m_timeoutMs,
                 QStringLiteral("how long the whole transfer may take"));
}

std::optional<QString> LoadCommand::deviceFileName()
{
    if (m_kind == Kind::WebPages) {
        const QString directory = m_destination.trimmed();
        result().insert(QStringLiteral("destination"), directory);
        if (directory.isEmpty()) {
            finish(ExitCode::BadInput, QStringLiteral("Web Directory must be specified\r\n"
                                                      "to perform download: give --destination."));
            return std::nullopt;
        }
        return directory;
    }
    const FirmwareDestination resolved = resolveFirmwareDestination(
        context().settings, context().paths, m_destination, m_createInfobase || answersYes());
    result().insert(QStringLiteral("destination"), resolved.destination);
    switch (resolved.problem) {
    case FirmwareDestination::Problem::None:
        return resolved.deviceFileName;
    case FirmwareDestination::Problem::InfobaseMissing:
        finish(ExitCode::BadInput,
               QStringLiteral("'%1' specified in the INI file was not found! Give "
                              "--create-infobase to have a default file created.")
                   .arg(resolved.infobaseName));
        break;
    case FirmwareDestination::Problem::NotInInfobase:
        finish(ExitCode::BadInput, notInInfobaseMessage(resolved.destination));
        break;
    case FirmwareDestination::Problem::Fixed:
        finish(
            ExitCode::BadInput,
            QStringLiteral("The settings fix the destination to \"%1\"").arg(resolved.destination));
        break;
    }
    return std::nullopt;
}

void LoadCommand::start()
{
    const std::optional<QString> address = checkedAddress(operand(0));
    if (!address)
        return;
    const QString source = QFileInfo(operand(1).trimmed()).absoluteFilePath();
    result().insert(QStringLiteral("address"), *address);
    result().insert(QStringLiteral("file"), source);
    try {
        const std::optional<QString> name = deviceFileName();
        if (!name)
            return;
        result().insert(QStringLiteral("deviceFileName"), *name);
        TftpTransferOptions options = tftpTransferOptions(context());
        if (m_timeoutMs)
            options.timeoutMs = *m_timeoutMs;
        // An error packet ends the device's session: waiting for the time-out
        // would only hide its code and text behind a time-out.
        options.endOnDeviceError = true;
        m_transfer = new TftpTransfer(options, this);
        connectTransfer();
        result().insert(QStringLiteral("bytes"), QFileInfo(source).size());
        m_transfer->start(*name, source, *address);
        output().note(QStringLiteral("Sending %1 to %2 as %3").arg(source, *address, *name));
    } catch (const Failure &failure) {
        if (m_transfer)
            m_transfer->SocketCleanup();
        if (failure.number() == FailureNumber::FileNotFound)
            ShowFileNotFoundMessage(*context().prompts);
        else if (failure.number() == FailureNumber::PathNotFound)
            ShowPathNotFoundMessage(*context().prompts);
        else
            return fail(failure);
        finish(ExitCode::BadInput);
    }
}

void LoadCommand::connectTransfer()
{
    connect(m_transfer, &TftpTransfer::progressed, this,
            [this](qint64 sent, qint64 size) { output().progress(sent, size); });
    // The windows show "No Ack!" and go on waiting for a stray packet; so does this.
    connect(m_transfer, &TftpTransfer::notAcknowledged, this,
            [this] { output().note(kTransmitTitle + QStringLiteral(": ") + kNoAckText); });
    connect(m_transfer, &TftpTransfer::failureTrapped, this,
            [this](const QString &place, const Failure &failure) {
                output().error(QStringLiteral("%1: Error %2: %3")
                                   .arg(place)
                                   .arg(failure.number())
                                   .arg(failure.description()));
            });
    // As in the windows the transfer goes on: the packet is sent again on
    // its own timer, and the time-out ends what does not recover.
    connect(m_transfer, &TftpTransfer::dataPacketFailed, this, [this](int next) {
        output().error(QStringLiteral("Error in sending data packet : %1").arg(next));
    });
    connect(m_transfer, &TftpTransfer::finished, this, &LoadCommand::transferFinished);
}

void LoadCommand::transferFinished(const TransferResult &transfer)
{
    result().insert(QStringLiteral("sent"), transfer.bytes);
    // A failure on the way (a packet that could not be sent or read) may
    // have been what kept the device from answering.
    const int failed = transfer.failure ? exitCodeFor(*transfer.failure) : ExitCode::DeviceFailed;
    switch (transfer.outcome) {
    case TransferResult::Outcome::Succeeded:
        output().progress(transfer.bytes, transfer.bytes);
        output().endProgress();
        output().line(kDownloadSucceededText);
        return finish(ExitCode::Done);
    case TransferResult::Outcome::TimedOut:
        return finish(failed, kDownloadTimeoutLine);
    case TransferResult::Outcome::Refused:
        output().message(kErrorTitle, transfer.deviceError());
        return finish(ExitCode::DeviceFailed);
    case TransferResult::Outcome::WriteRequestFailed:
        return finish(failed, QStringLiteral("Error sending UDP Write Request!"));
    case TransferResult::Outcome::FileChanged:
        return finish(failed, QStringLiteral("The file was not sent as it was chosen"));
    case TransferResult::Outcome::Stopped:
        return finish(failed, QStringLiteral("The download was stopped"));
    }
}
