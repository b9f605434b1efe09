#include "cli/ExitCode.h"

#include "core/support/Failure.h"

int exitCodeFor(const Failure &failure)
{
    switch (failure.number()) {
    case FailureNumber::InvalidAddress:
    case FailureNumber::FileNotFound:
    case FailureNumber::PathNotFound:
    case FailureNumber::PathFileAccessError:
    case FailureNumber::BadFileNameOrNumber:
    case FailureNumber::FileTooLarge:
        return ExitCode::BadInput;
    default:
        return ExitCode::Environment;
    }
}
