#include "AllocationCount.h"

#include <atomic>
#include <cerrno>
#include <cstddef>

namespace {
std::atomic<quint64> g_allocations{0};
} // namespace

#ifndef CFG_SANITIZE

extern "C" {
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *pointer, size_t size);
void *__libc_memalign(size_t alignment, size_t size);

// The definitions in the program come before the C library's for every
// library it loads; free() stays the C library's, whose memory this is.
void *malloc(size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}

void *calloc(size_t count, size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}

void *realloc(void *pointer, size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(pointer, size);
}

void *memalign(size_t alignment, size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_memalign(alignment, size);
}

void *aligned_alloc(size_t alignment, size_t size)
{
    return memalign(alignment, size);
}

int posix_memalign(void **result, size_t alignment, size_t size)
{
    if (alignment < sizeof(void *) || (alignment & (alignment - 1)) != 0)
        return EINVAL;
    void *pointer = memalign(alignment, size);
    if (!pointer)
        return ENOMEM;
    *result = pointer;
    return 0;
}
} // extern "C"

bool AllocationCount::available()
{
    return true;
}

#else

bool AllocationCount::available()
{
    return false;
}

#endif

quint64 AllocationCount::now()
{
    return g_allocations.load(std::memory_order_relaxed);
}
