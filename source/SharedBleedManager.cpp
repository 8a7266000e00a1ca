#include "SharedBleedManager.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <cmath>

SharedBleedManager& SharedBleedManager::getInstance()
{
    static SharedBleedManager instance;
    return instance;
}

static bool isValidSlot (int slot) noexcept
{
    return slot >= 0 && slot < SharedBleedManager::maxSlots;
}

/** The bleed factor applied to a share: 1 at the margin, falling linearly in dB to 0 twelve dB
    further down.
*/
static float bleedFactor (float level, float loudestLevel, float bleedRejectDb) noexcept
{
    const auto ratioDb = juce::Decibels::gainToDecibels (level / loudestLevel, -100.0f);

    if (! (ratioDb < bleedRejectDb))
        return 1.0f;

    return juce::jlimit (0.0f, 1.0f, (ratioDb - (bleedRejectDb - 12.0f)) / 12.0f);
}

static_assert (SharedBleedManager::maxSlots <= 32, "the held flags are the bits of one 32-bit word");

static constexpr std::uint32_t bitOf (int slot) noexcept
{
    return std::uint32_t { 1 } << slot;
}

bool SharedBleedManager::isHeld (int slot) const noexcept
{
    return (heldSlots.load (std::memory_order_relaxed) & bitOf (slot)) != 0;
}

int SharedBleedManager::registerInstance() noexcept
{
    const juce::ScopedLock sl (lock);

    for (int index = 0; index < maxSlots; ++index)
    {
        if (! isHeld (index))
        {
            // The values first: whoever sees the slot held sees them too.
            levels[index].store (0.0f, std::memory_order_relaxed);
            weights[index].store (1.0f, std::memory_order_relaxed);
            heldSlots.fetch_or (bitOf (index), std::memory_order_release);
            activeCount.store (activeCount.load (std::memory_order_relaxed) + 1, std::memory_order_relaxed);
            return index;
        }
    }

    return -1;
}

void SharedBleedManager::unregisterInstance (int index) noexcept
{
    if (! isValidSlot (index))
        return;

    const juce::ScopedLock sl (lock);

    // Freeing a slot twice must not make the count disagree with the table.
    if (! isHeld (index))
        return;

    heldSlots.fetch_and (~bitOf (index), std::memory_order_release);
    levels[index].store (0.0f, std::memory_order_relaxed);
    weights[index].store (1.0f, std::memory_order_relaxed);
    activeCount.store (activeCount.load (std::memory_order_relaxed) - 1, std::memory_order_relaxed);
}

void SharedBleedManager::publishLevel (int index, float level, float weight) noexcept
{
    if (! isValidSlot (index))
        return;

    // A corrupt value here would make every other instance's share NaN or 0.
    if (! (std::isfinite (level) && level >= 0.0f && std::isfinite (weight) && weight >= 0.0f))
        return;

    levels[index].store (level, std::memory_order_relaxed);

    // The weight changes at most once per block: writing it only then keeps its line shared.
    if (weights[index].load (std::memory_order_relaxed) != weight)
        weights[index].store (weight, std::memory_order_relaxed);
}

float SharedBleedManager::computeTargetGain (int index, float bleedRejectDb) const noexcept
{
    if (! isValidSlot (index))
        return 1.0f;

    const auto held = heldSlots.load (std::memory_order_acquire);

    if ((held & bitOf (index)) == 0)
        return 1.0f;

    // One pass in ascending slot order reads each held slot once: the sum, the loudest level
    // and this slot's own values all come from that read, whatever others publish meanwhile.
    float totalWeighted = 0.0f, loudestLevel = 0.0f, ownLevel = 0.0f, ownWeight = 0.0f;

    for (int i = 0; i < maxSlots; ++i)
    {
        if ((held & bitOf (i)) == 0)
            continue;

        const auto level = levels[i].load (std::memory_order_relaxed);
        const auto weight = weights[i].load (std::memory_order_relaxed);

        totalWeighted += level * weight;
        loudestLevel = juce::jmax (loudestLevel, level);

        if (i == index)
        {
            ownLevel = level;
            ownWeight = weight;
        }
    }

    const auto ownWeighted = ownWeight * ownLevel;

    // Nobody carries a usable weighted signal: everyone stays at unity.
    if (totalWeighted < silentLevel)
        return 1.0f;

    auto share = ownWeighted / totalWeighted;

    if (loudestLevel > silentLevel && ownLevel > silentLevel)
        share *= bleedFactor (ownLevel, loudestLevel, bleedRejectDb);

    return share;
}
