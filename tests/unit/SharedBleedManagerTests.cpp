#include "SharedBleedManager.h"
#include "identity/HestrelIdentity.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace
{
    /** Claims slots for one test and frees them at its end, so every test starts from an empty registry. */
    struct Slots
    {
        explicit Slots (int count)
        {
            for (int i = 0; i < count; ++i)
                held.push_back (manager().registerInstance());
        }

        ~Slots()
        {
            for (auto slot : held)
                manager().unregisterInstance (slot);
        }

        static SharedBleedManager& manager()    { return SharedBleedManager::getInstance(); }

        std::vector<int> held;
    };

    class SharedBleedManagerTest  : public ::testing::Test
    {
    protected:
        void SetUp() override    { ASSERT_EQ (Slots::manager().getActiveCount(), 0); }
    };

    constexpr float silent = SharedBleedManager::silentLevel;
}

TEST_F (SharedBleedManagerTest, SixteenSlotsInOrderThenNone)
{
    Slots slots (registrySlotCount);

    for (int i = 0; i < registrySlotCount; ++i)
        EXPECT_EQ (slots.held[(size_t) i], i);

    EXPECT_EQ (Slots::manager().getActiveCount(), registrySlotCount);
    EXPECT_EQ (Slots::manager().registerInstance(), -1);
    EXPECT_EQ (Slots::manager().getActiveCount(), registrySlotCount);
}

TEST_F (SharedBleedManagerTest, FreedSlotGoesToNextInstanceFresh)
{
    Slots slots (6);
    auto& manager = Slots::manager();

    manager.publishLevel (3, 0.5f, 2.0f);
    manager.unregisterInstance (3);
    EXPECT_EQ (manager.getActiveCount(), 5);

    const auto reclaimed = manager.registerInstance();
    EXPECT_EQ (reclaimed, 3);
    EXPECT_EQ (manager.getActiveCount(), 6);

    // A fresh slot has level 0 and weight 1: with everyone else at 0 the total is 0, so unity.
    EXPECT_FLOAT_EQ (manager.computeTargetGain (3, -12.0f), 1.0f);

    // Freeing the same slot twice must not corrupt the count.
    manager.unregisterInstance (3);
    manager.unregisterInstance (3);
    EXPECT_EQ (manager.getActiveCount(), 5);
    slots.held[3] = manager.registerInstance();
}

TEST_F (SharedBleedManagerTest, OutOfRangeSlotsAreHarmless)
{
    Slots slots (2);
    auto& manager = Slots::manager();
    manager.publishLevel (0, 1.0f, 1.0f);
    manager.publishLevel (1, 1.0f, 1.0f);

    for (int bad : { -1, registrySlotCount, 1000 })
    {
        manager.publishLevel (bad, 100.0f, 2.0f);
        manager.unregisterInstance (bad);
        EXPECT_FLOAT_EQ (manager.computeTargetGain (bad, -12.0f), 1.0f);
    }

    EXPECT_EQ (manager.getActiveCount(), 2);
    EXPECT_FLOAT_EQ (manager.computeTargetGain (0, -12.0f), 0.5f);
}

struct GainCase
{
    const char* name;
    std::vector<float> levels, weights;
    float bleedRejectDb;
    std::vector<float> expected;
    float tolerance;
};

class SharedBleedManagerGains  : public SharedBleedManagerTest,
                                 public ::testing::WithParamInterface<GainCase> {};

TEST_P (SharedBleedManagerGains, TargetGainsOfAllSlots)
{
    const auto& c = GetParam();
    Slots slots ((int) c.levels.size());

    for (size_t i = 0; i < c.levels.size(); ++i)
        Slots::manager().publishLevel (slots.held[i], c.levels[i], c.weights[i]);

    for (size_t i = 0; i < c.levels.size(); ++i)
        EXPECT_NEAR (Slots::manager().computeTargetGain (slots.held[i], c.bleedRejectDb), c.expected[i], c.tolerance)
            << "slot " << i;
}

INSTANTIATE_TEST_SUITE_P (Cases, SharedBleedManagerGains, ::testing::Values (
    GainCase { "lone_loud",          { 0.8f },               { 1.0f },             -12.0f, { 1.0f },                                  0.0f },
    GainCase { "lone_weight_zero",   { 0.8f },               { 0.0f },             -12.0f, { 1.0f },                                  0.0f },
    GainCase { "lone_silent",        { silent },             { 1.0f },             -12.0f, { 1.0f },                                  0.0f },
    GainCase { "equal_pair",         { 0.3f, 0.3f },         { 1.0f, 1.0f },       -12.0f, { 0.5f, 0.5f },                            1e-6f },
    GainCase { "weights_two_to_one", { 0.3f, 0.3f },         { 2.0f, 1.0f },       -12.0f, { 2.0f / 3.0f, 1.0f / 3.0f },              1e-6f },
    GainCase { "bleed_20dB_down",    { 1.0f, 0.1f },         { 1.0f, 1.0f },       -12.0f, { 1.0f / 1.1f, 0.1f / 1.1f * 4.0f / 12.0f }, 1e-5f },
    GainCase { "bleed_18dB_half",    { 1.0f, 0.125893f },    { 1.0f, 1.0f },       -12.0f, { 1.0f / 1.125893f, 0.125893f / 1.125893f * 0.5f }, 1e-5f },
    GainCase { "bleed_24dB_closed",  { 1.0f, 0.0630957f },   { 1.0f, 1.0f },       -12.0f, { 1.0f / 1.0630957f, 0.0f },               1e-5f },
    GainCase { "loud_and_silent",    { 0.5f, silent },       { 1.0f, 1.0f },       -12.0f, { 1.0f, 0.0f },                            1e-6f },
    GainCase { "silent_pair",        { silent, silent },     { 1.0f, 1.0f },       -12.0f, { 0.5f, 0.5f },                            1e-6f },
    GainCase { "silent_trio",        { silent, silent, silent }, { 1.0f, 1.0f, 1.0f }, -12.0f, { 1.0f / 3.0f, 1.0f / 3.0f, 1.0f / 3.0f }, 1e-6f },
    GainCase { "all_weights_zero",   { 0.5f, 0.2f },         { 0.0f, 0.0f },       -12.0f, { 1.0f, 1.0f },                            0.0f },
    GainCase { "one_weight_zero",    { 0.5f, 0.5f },         { 0.0f, 1.0f },       -12.0f, { 0.0f, 1.0f },                            0.0f }),
    [] (const auto& caseInfo) { return std::string (caseInfo.param.name); });

TEST_F (SharedBleedManagerTest, SilentNextToLoudGetsAVanishingShareWithoutBleedTest)
{
    Slots slots (2);
    Slots::manager().publishLevel (0, 0.5f, 1.0f);
    Slots::manager().publishLevel (1, silent, 1.0f);

    // Far more than 24 dB down, yet not zeroed: a level at the noise floor is exempt from the bleed test.
    EXPECT_NEAR (Slots::manager().computeTargetGain (1, -12.0f), 2.0e-7f, 1e-9f);
}

TEST_F (SharedBleedManagerTest, NonFiniteOrNegativeLevelsNeverReachTheTable)
{
    Slots slots (2);
    auto& manager = Slots::manager();
    manager.publishLevel (0, 0.3f, 1.0f);
    manager.publishLevel (1, 0.3f, 1.0f);

    constexpr auto inf = std::numeric_limits<float>::infinity();
    constexpr auto nan = std::numeric_limits<float>::quiet_NaN();

    for (auto [level, weight] : { std::pair { nan, 1.0f }, { inf, 1.0f }, { -1.0f, 1.0f }, { 0.3f, nan }, { 0.3f, -inf } })
    {
        manager.publishLevel (1, level, weight);

        for (int slot : { 0, 1 })
        {
            const auto gain = manager.computeTargetGain (slot, -12.0f);
            EXPECT_TRUE (std::isfinite (gain));
            EXPECT_FLOAT_EQ (gain, 0.5f);
        }
    }
}
