#pragma once

#include <QtGlobal>

// Counts the heap allocations of this process (malloc, calloc, realloc and
// the aligned kinds; operator new and Qt's containers come through malloc).
// Linked into a program, it takes the allocator's entry points in front of
// the C library's and passes every call on. Sanitizer builds bring their
// own allocator: there it counts nothing and says so.
namespace AllocationCount {

bool available();
// Allocations since the program started.
quint64 now();

} // namespace AllocationCount
