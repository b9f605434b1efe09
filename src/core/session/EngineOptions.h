#pragma once

#include "core/session/AppContext.h"
#include "core/tftp/TftpTransfer.h"

// The values an engine takes, as the shared context sets them; every front
// end builds its engines through these.
inline TftpTransferOptions tftpTransferOptions(const AppContext &context)
{
    return {context.ports.tftp, context.intervals.tftpTimeoutMs,
            context.intervals.tftpRetransmitMs};
}
