#pragma once

#include <juce_core/juce_core.h>

#include <atomic>

/**
    The process-wide registry through which every Hestrel instance in a host finds the others.

    It holds 16 slots of level, weight and held flag. Each instance claims a slot when it is
    created, publishes its level and weight for every sample it processes, and asks for the
    target gain that its weighted level earns among all held slots, pulled down further when
    its level lies more than the bleed margin below the loudest one.

    Every field is guarded by one lock whose critical sections are two passes over the slots
    at most; nothing inside them allocates, waits or takes another lock.
*/
class SharedBleedManager
{
public:
    /** The number of slots, and so of instances that can take part. */
    static constexpr int maxSlots = 16;

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

        A slot outside 0 to 15 is ignored. A level or weight that is not finite, or is
        negative, is not stored: the slot keeps what it held, so one corrupt track can never
        poison the shares of the others.
    */
    void publishLevel (int slot, float level, float weight) noexcept;

    /** Returns the target gain (0 to 1) of a slot from the latest levels of all held slots.

        @param slot            the instance's slot; outside 0 to 15 the result is 1
        @param bleedRejectDb   how far below the loudest instance (dB, negative) a level may
                               lie before it is judged to carry bleed
    */
    float computeTargetGain (int slot, float bleedRejectDb) const noexcept;

    /** Returns the number of held slots; takes no lock, so the value may be stale. */
    int getActiveCount() const noexcept     { return activeCount.load (std::memory_order_relaxed); }

    /** The bleed factor applied to a share: 1 at the margin, falling linearly in dB to 0 twelve dB
        further down. Exposed for tests and tools that want to reproduce the decision.
    */
    static float bleedFactor (float level, float loudestLevel, float bleedRejectDb) noexcept;

private:
    SharedBleedManager() = default;

    juce::CriticalSection lock;
    float levels[maxSlots] {};
    float weights[maxSlots] {};
    std::atomic<int> activeCount { 0 };
    bool active[maxSlots] {};

    JUCE_DECLARE_NON_COPYABLE (SharedBleedManager)
};
