#pragma once

#include "cli/CliCommand.h"

#include <optional>

class TftpTransfer;
struct TransferResult;

// cfgutil load-firmware IP FILE / load-web IP FILE: the TFTP download of the
// Load Firmware and Load WebPages dialogs, with the destination as a flag.
// Firmware: --destination is a display name of the product infobase (its
// first entry when not given). Web pages: --destination is the web directory
// itself (WEB6 when not given).
class LoadCommand : public CliCommand {
    Q_OBJECT
public:
    enum class Kind { Firmware, WebPages };
    LoadCommand(Kind kind, AppContext &context, const Invocation &invocation, CliOutput &output,
                QObject *parent = nullptr);
    void start() override;

private:
    // The device file name for the write request, or nothing when the command has ended.
    std::optional<QString> deviceFileName();
    void connectTransfer();
    void transferFinished(const TransferResult &transfer);

    Kind m_kind;
    TftpTransfer *m_transfer = nullptr;
};
