#pragma once

#include "identity/HestrelIdentity.h"

#include <juce_core/juce_core.h>

#include <atomic>
#include <cstdint>

/**
    The process-wide registry through which every Hestrel instance in a host finds the others.

    It holds 16 slots of level, weight and held flag. Each instance claims a slot when it is
    created, publishes its level and weight for every sample it processes, and asks for the
    target gain that its weighted level earns among all held slots, pulled down further when
    its level lies more than the bleed margin below the loudest one.

    Hosts run tracks on several audio threads at once, and every instance touches the table
    twice per sample, so the per-sample path takes no lock and never waits: levels and weights
    are relaxed atomics, each entry written only by the instance that holds the slot, and the
    held flags are the bits of one atomic word. A computation reads every held slot once, in
    one pass, and does its arithmetic on what it read. Claiming and freeing a slot (message thread,
    rare) still happen under a lock, so two new instances can never claim the same slot.
*/
class SharedBleedManager
{
public:
    /** The number of slots, and so of instances that can take part. */
    static constexpr int maxSlots = registrySlotCount;

    /** The level that an instance below its noise floor publishes. */
    static constexpr float silentLevel = 1.0e-7f;

    /** Returns the single manager of this process, creating it on the first call. */
    static SharedBleedManager& getInstance();

    /** Claims the lowest free slot and returns it, or -1 when all slots are held. */
    int registerInstance() noexcept;

    /** Frees a slot claimed by registerInstance(); a slot outside 0 to 15, or one that is
        not held, is ignored.
    */
    void unregisterInstance (int slot) noexcept;

    /** Stores an instance's current level (linear RMS) and weight factor (0 to 2).

        Never blocks. A slot outside 0 to 15 is ignored. A level or weight that is not finite,
        or is negative, is not stored: the slot keeps what it held, so one corrupt track can
        never poison the shares of the others.
    */
    void publishLevel (int slot, float level, float weight) noexcept;

    /** Returns the target gain (0 to 1) of a slot from the latest levels of all held slots.

        Never blocks: it works on one read of every slot, so other instances may publish
        while it runs.

        @param slot            the instance's slot; outside 0 to 15 the result is 1
        @param bleedRejectDb   how far below the loudest instance (dB, negative) a level may
                               lie before it is judged to carry bleed
    */
    float computeTargetGain (int slot, float bleedRejectDb) const noexcept;

    /** Returns the number of held slots; takes no lock, so the value may be stale. */
    int getActiveCount() const noexcept     { return activeCount.load (std::memory_order_relaxed); }

private:
    SharedBleedManager() = default;

    static_assert (std::atomic<float>::is_always_lock_free && std::atomic<std::uint32_t>::is_always_lock_free,
                   "the audio thread must never fall back to a lock inside std::atomic");

    bool isHeld (int slot) const noexcept;

    juce::CriticalSection lock;     // claim and release only; never taken by the audio thread

    /** The levels, one cache line for all 16: every processing instance writes its own entry
        every sample and reads all of them, so the whole table moves between cores as one line.
    */
    alignas (64) std::atomic<float> levels[maxSlots] {};

    /** The weights, on a line of their own: they change at most once per block, so this line
        stays shared by every core instead of following the levels around.
    */
    alignas (64) std::atomic<float> weights[maxSlots] {};

    /** The held flags, bit i for slot i, in one word: a computation learns with one read which
        slots take part. Written only when an instance comes or goes.
    */
    alignas (64) std::atomic<std::uint32_t> heldSlots { 0 };
    std::atomic<int> activeCount { 0 };

    JUCE_DECLARE_NON_COPYABLE (SharedBleedManager)
};
