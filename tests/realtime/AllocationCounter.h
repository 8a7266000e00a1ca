#pragma once

/**
    Counts every heap allocation made on the calling thread while counting is switched on:
    malloc, calloc, realloc and the aligned forms, and so operator new too, which the C++
    library builds on malloc. JUCE's HeapBlock and AudioBuffer allocate with malloc directly.

    Only this test executable replaces the allocator, so no other test runs on it.
    Under AddressSanitizer, which owns the allocator, nothing is counted.
*/
namespace AllocationCounter
{
    /** False where the allocator could not be replaced (AddressSanitizer builds). */
    bool isAvailable() noexcept;

    /** Starts counting this thread's allocations from zero. */
    void start() noexcept;

    /** Stops counting and returns how many allocations this thread made since start(). */
    int stop() noexcept;
}
