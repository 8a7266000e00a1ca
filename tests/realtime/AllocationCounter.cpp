#include "AllocationCounter.h"

#include <cerrno>
#include <cstddef>

#if defined (__SANITIZE_ADDRESS__)
 #define HESTREL_COUNT_ALLOCATIONS 0
#elif defined (__has_feature)
 #if __has_feature (address_sanitizer)
  #define HESTREL_COUNT_ALLOCATIONS 0
 #endif
#endif

#ifndef HESTREL_COUNT_ALLOCATIONS
 #define HESTREL_COUNT_ALLOCATIONS 1
#endif

namespace
{
    thread_local bool counting = false;
    thread_local int counted = 0;

    inline void noteAllocation() noexcept
    {
        if (counting)
            ++counted;
    }
}

bool AllocationCounter::isAvailable() noexcept    { return HESTREL_COUNT_ALLOCATIONS != 0; }
void AllocationCounter::start() noexcept          { counted = 0; counting = true; }
int AllocationCounter::stop() noexcept            { counting = false; return counted; }

#if HESTREL_COUNT_ALLOCATIONS
// glibc's own entry points: the replacements below count, then hand over to them, so every
// library in the process (JUCE, the C++ runtime) allocates through the counter.
extern "C"
{
    void* __libc_malloc (std::size_t);
    void* __libc_calloc (std::size_t, std::size_t);
    void* __libc_realloc (void*, std::size_t);
    void* __libc_memalign (std::size_t, std::size_t);

    void* malloc (std::size_t size)
    {
        noteAllocation();
        return __libc_malloc (size);
    }

    void* calloc (std::size_t count, std::size_t size)
    {
        noteAllocation();
        return __libc_calloc (count, size);
    }

    void* realloc (void* p, std::size_t size)
    {
        noteAllocation();
        return __libc_realloc (p, size);
    }

    void* memalign (std::size_t alignment, std::size_t size)
    {
        noteAllocation();
        return __libc_memalign (alignment, size);
    }

    void* aligned_alloc (std::size_t alignment, std::size_t size)
    {
        noteAllocation();
        return __libc_memalign (alignment, size);
    }

    int posix_memalign (void** result, std::size_t alignment, std::size_t size)
    {
        if (alignment % sizeof (void*) != 0 || (alignment & (alignment - 1)) != 0)
            return EINVAL;

        noteAllocation();

        if (auto* p = __libc_memalign (alignment, size))
        {
            *result = p;
            return 0;
        }

        return ENOMEM;
    }
}
#endif
