#pragma once

#include "cli/CommandDeclaration.h"
#include "core/support/Failure.h"

#include <optional>

class TftpTransfer;
struct TransferResult;

// cfgutil load-firmware IP FILE / load-web IP FILE: the TFTP download of the
// Load Firmware and Load WebPages dialogs, with the destination as a flag.
// Firmware: --destination is a display name of the product infobase (its
// first entry when not given). Web pages: --destination is the web directory
// itself (WEB6 when not given). One class for both commands: they differ in
// the destination alone.
class LoadCommand : public CliCommand {
    Q_OBJECT
public:
    enum class Kind { Firmware, WebPages };
    LoadCommand(Kind kind, AppContext &context, CliOutput &output, QObject *parent = nullptr);
    static CommandDeclaration firmwareDeclaration();
    static CommandDeclaration webPagesDeclaration();
    void start() override;

private:
    // The device file name for the write request, or nothing when the command has ended.
    std::optional<QString> deviceFileName();
    void connectTransfer();
    void transferFinished(const TransferResult &transfer);

    Kind m_kind;
    QString m_destination;
    bool m_createInfobase = false;
    std::optional<int> m_timeoutMs;
    TftpTransfer *m_transfer = nullptr;
};
