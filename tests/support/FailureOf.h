#pragma once

#include "core/support/Failure.h"

#include <functional>

// The number of the Failure that `body` throws, or 0 when it throws none.
inline int failureOf(const std::function<void()> &body)
{
    try {
        body();
    } catch (const Failure &failure) {
        return failure.number();
    }
    return 0;
}
