#pragma once

#include "core/commission/DeviceCommissioning.h"
#include "core/device/DeviceDiscovery.h"
#include "core/net/PingControl.h"
#include "core/session/AppContext.h"
#include "core/tftp/TftpTransfer.h"

// The values an engine takes, as the shared context sets them; every front
// end builds its engines through these, and the engines have no values of
// their own.

// Ping Device, the Assign IP confirmation and the pings after an upload.
inline PingOptions pingOptions(const AppContext &context)
{
    return {context.limits.pingDataBytes, context.intervals.pingFirstMs,
            context.intervals.pingSecondMs};
}

// Does something answer at an address? Each request goes as soon as the one
// before has ended: the first reply settles it.
inline PingOptions probePingOptions(const AppContext &context)
{
    PingOptions options = pingOptions(context);
    options.pauseMs = 0;
    return options;
}

inline TftpTransferOptions tftpTransferOptions(const AppContext &context)
{
    return {context.ports.tftp, context.intervals.tftpTimeoutMs, context.intervals.tftpRetransmitMs,
            context.limits.tftpResends};
}

// On every interface that can broadcast, until the caller names some.
inline DiscoveryOptions discoveryOptions(const AppContext &context)
{
    DiscoveryOptions options;
    options.port = context.ports.query;
    options.timeoutMs = context.intervals.discoveryTimeoutMs;
    options.receiveBufferBytes = context.limits.discoveryReceiveBufferBytes;
    return options;
}

inline CommissionSettings commissionSettings(const AppContext &context, const QString &dataFile)
{
    CommissionSettings settings;
    settings.queryPort = context.ports.query;
    settings.queryTimeoutMs = context.intervals.queryTimeoutMs;
    settings.holdersSettleMs = context.intervals.holdersSettleMs;
    settings.pingDataBytes = context.limits.pingDataBytes;
    settings.pingFirstMs = context.intervals.pingFirstMs;
    settings.pingSecondMs = context.intervals.pingSecondMs;
    settings.probeEchoes = context.limits.probeEchoes;
    settings.comeBackEchoes = context.limits.comeBackEchoes;
    settings.tftp = tftpTransferOptions(context);
    settings.dataFile = dataFile;
    settings.ipSetupPerSecond = context.limits.ipSetupPerSecond;
    return settings;
}
