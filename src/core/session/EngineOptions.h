#pragma once

#include "core/commission/DeviceCommissioning.h"
#include "core/device/AddressProbe.h"
#include "core/device/DeviceDiscovery.h"
#include "core/device/QueryPoll.h"
#include "core/net/PingControl.h"
#include "core/session/AppContext.h"
#include "core/tftp/TftpTransfer.h"

// The values an engine takes, as the shared context sets them; every front
// end builds its engines through these, and the engines have no values of
// their own.

// Ping Device, and the Assign IP confirmation by ping.
inline PingOptions pingOptions(const AppContext &context)
{
    return {context.limits.pingDataBytes, context.intervals.pingFirstMs,
            context.intervals.pingSecondMs};
}

// Does something answer a ping at an address (cfgutil doctor)? Each request
// goes as soon as the one before has ended: the first reply settles it.
inline PingOptions probePingOptions(const AppContext &context)
{
    PingOptions options = pingOptions(context);
    options.pauseMs = 0;
    return options;
}

// Is a new address in use before IP-SETUP gives it?
inline AddressProbeOptions addressProbeOptions(const AppContext &context)
{
    return {context.ports.query, context.limits.pingDataBytes, context.intervals.probeMs,
            context.intervals.holdersSettleMs};
}

// The device answers at the address that IP-SETUP gave it.
inline QueryPollOptions assignConfirmOptions(const AppContext &context)
{
    return {context.ports.query, context.intervals.confirmPollMs,
            context.intervals.assignConfirmMs};
}

// The device is back after an upload.
inline QueryPollOptions comeBackOptions(const AppContext &context)
{
    return {context.ports.query, context.intervals.comeBackPollMs, context.intervals.comeBackMs};
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
    settings.probe = addressProbeOptions(context);
    settings.confirm = assignConfirmOptions(context);
    settings.comeBack = comeBackOptions(context);
    settings.tftp = tftpTransferOptions(context);
    settings.dataFile = dataFile;
    settings.ipSetupPerSecond = context.limits.ipSetupPerSecond;
    return settings;
}
