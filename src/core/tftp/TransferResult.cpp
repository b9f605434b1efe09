#include "core/tftp/TransferResult.h"

QString TransferResult::deviceError() const
{
    if (deviceErrorCode < 0)
        return {};
    return QStringLiteral("TFTP error %1 from the device: %2")
        .arg(deviceErrorCode)
        .arg(deviceErrorText);
}
