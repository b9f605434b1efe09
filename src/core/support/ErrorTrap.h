#pragma once

#include "core/support/Failure.h"

#include <QString>
#include <functional>

class Prompts;

enum class TrapStyle {
    Plain,       // "<number>\r\n<description>"
    PlainNoIcon, // as Plain, in a box without the critical icon
    Connecting,  // "Failed in connecting socket\r\n<number>\r\n<description>"
    LogOnly,     // the failure is only logged
};

// Reports a failure the way every guarded handler does: LogError to the
// error log file `errorLog` with the place text, then the "Error Condition"
// box with the critical icon through `prompts` (none: the failure is only logged).
void reportFailure(const QString &errorLog, Prompts *prompts, const QString &place,
                   const Failure &failure, TrapStyle style = TrapStyle::Plain);

// Runs a handler body under the error trap. `expected` may handle the failures
// that the handler sorts out by number (53, 76, 32755) and return true; any
// other failure is reported. Returns true when the body ran to its end.
bool runTrapped(const QString &errorLog, Prompts *prompts, const QString &place,
                const std::function<void()> &body, TrapStyle style = TrapStyle::Plain,
                const std::function<bool(const Failure &)> &expected = {});
