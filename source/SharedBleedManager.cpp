#include "SharedBleedManager.h"

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

int SharedBleedManager::registerInstance() noexcept
{
    const juce::ScopedLock sl (lock);

    for (int slot = 0; slot < maxSlots; ++slot)
    {
        if (! active[slot])
        {
            active[slot] = true;
            levels[slot] = 0.0f;
            weights[slot] = 1.0f;
            activeCount.store (activeCount.load (std::memory_order_relaxed) + 1, std::memory_order_relaxed);
            return slot;
        }
    }

    return -1;
}

void SharedBleedManager::unregisterInstance (int slot) noexcept
{
    if (! isValidSlot (slot))
        return;

    const juce::ScopedLock sl (lock);

    // Freeing a slot twice must not make the count disagree with the table.
    if (! active[slot])
        return;

    active[slot] = false;
    levels[slot] = 0.0f;
    weights[slot] = 1.0f;
    activeCount.store (activeCount.load (std::memory_order_relaxed) - 1, std::memory_order_relaxed);
}

void SharedBleedManager::publishLevel (int slot, float level, float weight) noexcept
{
    if (! isValidSlot (slot))
        return;

    // A corrupt value here would make every other instance's share NaN or 0.
    if (! (std::isfinite (level) && level >= 0.0f && std::isfinite (weight) && weight >= 0.0f))
        return;

    const juce::ScopedLock sl (lock);
    levels[slot] = level;
    weights[slot] = weight;
}

float SharedBleedManager::computeTargetGain (int slot, float bleedRejectDb) const noexcept
{
    if (! isValidSlot (slot))
        return 1.0f;

    float totalWeighted = 0.0f, ownLevel = 0.0f, ownWeighted = 0.0f, loudestLevel = 0.0f;

    {
        const juce::ScopedLock sl (lock);

        if (! active[slot])
            return 1.0f;

        for (int i = 0; i < maxSlots; ++i)
            if (active[i])
                totalWeighted += levels[i] * weights[i];

        ownLevel = levels[slot];
        ownWeighted = weights[slot] * ownLevel;

        for (int i = 0; i < maxSlots; ++i)
            if (active[i])
                loudestLevel = juce::jmax (loudestLevel, levels[i]);
    }

    // Nobody carries a usable weighted signal: everyone stays at unity.
    if (totalWeighted < silentLevel)
        return 1.0f;

    auto share = ownWeighted / totalWeighted;

    if (loudestLevel > silentLevel && ownLevel > silentLevel)
        share *= bleedFactor (ownLevel, loudestLevel, bleedRejectDb);

    return share;
}

float SharedBleedManager::bleedFactor (float level, float loudestLevel, float bleedRejectDb) noexcept
{
    const auto ratio = level / loudestLevel;
    const auto ratioDb = ratio > 0.0f ? juce::jmax (-100.0f, 20.0f * std::log10 (ratio)) : -100.0f;

    if (! (ratioDb < bleedRejectDb))
        return 1.0f;

    return juce::jlimit (0.0f, 1.0f, (ratioDb - (bleedRejectDb - 12.0f)) / 12.0f);
}
