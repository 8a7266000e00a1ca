#include "ProcessorFixture.h"

#include <cmath>
#include <limits>

using GainEngineTest = ProcessorFixture;

struct SharingCase
{
    const char* name;
    int numChannels;
    std::vector<float> levels, weights;
    float maxAttenDb;
    std::vector<float> expected;
    float tolerance;
};

class GainSharing  : public ProcessorFixture,
                     public ::testing::WithParamInterface<SharingCase> {};

TEST_P (GainSharing, SettledGainsAndAudio)
{
    const auto& c = GetParam();

    for (size_t i = 0; i < c.levels.size(); ++i)
    {
        auto& p = add (c.numChannels);
        setParameter (p, ParameterIDs::weight, c.weights[i]);
        setParameter (p, ParameterIDs::maxAtten, c.maxAttenDb);
    }

    runConstant (c.levels, 0.5);

    for (size_t i = 0; i < c.levels.size(); ++i)
    {
        EXPECT_NEAR (gain (i), c.expected[i], c.tolerance) << "track " << i;

        // The output is the input times the applied gain, on every channel.
        for (int ch = 0; ch < c.numChannels; ++ch)
            EXPECT_NEAR (lastOutputs[i].getSample (ch, blockSize - 1), c.levels[i] * gain (i), 1e-6f);
    }
}

INSTANTIATE_TEST_SUITE_P (Cases, GainSharing, ::testing::Values (
    SharingCase { "lone_mono",            1, { 0.5f },       { 100.0f },        -60.0f, { 1.0f },                            1e-6f },
    SharingCase { "lone_silent_weight0",  2, { 0.0f },       { 0.0f },          -60.0f, { 1.0f },                            1e-6f },
    SharingCase { "equal_pair_mono",      1, { 0.3f, 0.3f }, { 100.0f, 100.0f }, -60.0f, { 0.5f, 0.5f },                     1e-4f },
    SharingCase { "equal_pair_stereo",    2, { 0.3f, 0.3f }, { 100.0f, 100.0f }, -60.0f, { 0.5f, 0.5f },                     1e-4f },
    SharingCase { "bleed_mono",           1, { 1.0f, 0.1f }, { 100.0f, 100.0f }, -60.0f, { 0.90909f, 0.030303f },            1e-4f },
    SharingCase { "bleed_stereo",         2, { 1.0f, 0.1f }, { 100.0f, 100.0f }, -60.0f, { 0.90909f, 0.030303f },            1e-4f },
    SharingCase { "weights_200_100",      2, { 0.3f, 0.3f }, { 200.0f, 100.0f }, -60.0f, { 2.0f / 3.0f, 1.0f / 3.0f },       1e-4f },
    SharingCase { "silent_pair",          1, { 0.0f, 0.0f }, { 100.0f, 100.0f }, -60.0f, { 0.5f, 0.5f },                     1e-4f },
    SharingCase { "floor_minus20",        1, { 0.5f, 0.0f }, { 100.0f, 100.0f }, -20.0f, { 1.0f, 0.1f },                     1e-4f },
    SharingCase { "no_floor_closes",      1, { 0.5f, 0.0f }, { 100.0f, 100.0f }, -59.5f, { 1.0f, 0.0f },                     1e-4f }),
    [] (const auto& caseInfo) { return std::string (caseInfo.param.name); });

TEST_F (GainEngineTest, ReadOutsInDecibels)
{
    add(); add(); add();
    setParameter (*processors[2], ParameterIDs::weight, 0.0f);
    runConstant ({ 0.3f, 0.3f, 0.3f }, 0.5);

    EXPECT_NEAR (processors[0]->displayGainDb.load(), -6.0206f, 1e-3f);
    EXPECT_NEAR (processors[0]->displayLevel.load(), 0.3f, 1e-4f);
    EXPECT_FLOAT_EQ (processors[2]->displayGain.load(), 0.0f);
    EXPECT_FLOAT_EQ (processors[2]->displayGainDb.load(), -60.0f);
    EXPECT_FLOAT_EQ (processors[0]->displayThresholdDb.load(), -60.0f);
}

TEST_F (GainEngineTest, GainStepReachesOneOverEAfterTheSmoothingTime)
{
    add();
    runConstant ({ 1.0f }, 0.01);

    // Weight 0 next to a loud track: the target drops from unity straight to 0.
    auto& closing = add();
    setParameter (closing, ParameterIDs::weight, 0.0f);
    setParameter (closing, ParameterIDs::smoothing, 5.0f);
    closing.prepareToPlay (sampleRate, blockSize);

    juce::AudioBuffer<float> buffer (1, 240);
    juce::FloatVectorOperations::fill (buffer.getWritePointer (0), 1.0f, 240);
    juce::MidiBuffer midi;
    closing.processBlock (buffer, midi);

    EXPECT_NEAR (buffer.getSample (0, 239), std::exp (-1.0f), 1e-4f);
    EXPECT_NEAR (closing.displayGain.load(), std::exp (-1.0f), 1e-4f);
}

TEST_F (GainEngineTest, OneChannelOfStereoReadsThreeDecibelsLower)
{
    auto& p = add (2);
    juce::MidiBuffer midi;

    for (int b = 0; b < 200; ++b)
    {
        juce::AudioBuffer<float> buffer (2, blockSize);
        buffer.clear();
        juce::FloatVectorOperations::fill (buffer.getWritePointer (0), 0.5f, blockSize);
        p.processBlock (buffer, midi);
    }

    EXPECT_NEAR (20.0f * std::log10 (p.displayLevel.load() / 0.5f), -3.0103f, 1e-3f);
}

TEST_F (GainEngineTest, PrepareResetsDetectorAndGain)
{
    add(); add();
    runConstant ({ 0.3f, 0.3f }, 0.2);
    auto& p = *processors[0];
    ASSERT_NEAR (p.displayGain.load(), 0.5f, 1e-3f);

    p.prepareToPlay (sampleRate, blockSize);
    juce::AudioBuffer<float> buffer (1, 1);
    buffer.setSample (0, 0, 0.3f);
    juce::MidiBuffer midi;
    p.processBlock (buffer, midi);

    // Detector from 0: one step of the one-pole with the 10 ms window.
    const auto a = std::exp (-1.0f / (48000.0f * 10.0f * 0.001f));
    EXPECT_NEAR (p.displayLevel.load(), std::sqrt ((1.0f - a) * 0.09f), 1e-6f);

    // Gain from 1: one step of the 5 ms smoother towards a target of 0, since this track's
    // rising level is still more than 24 dB below the other's settled one.
    const auto s = std::exp (-1.0f / (48000.0f * 5.0f * 0.001f));
    EXPECT_NEAR (p.displayGain.load(), s, 1e-6f);
}

TEST_F (GainEngineTest, EmptyBlockOnlyRefreshesReadOuts)
{
    auto& p = add();
    setParameter (p, ParameterIDs::threshold, -42.0f);

    juce::AudioBuffer<float> empty (1, 0);
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 60, 0.5f), 0);
    p.processBlock (empty, midi);

    EXPECT_FLOAT_EQ (p.displayThresholdDb.load(), -42.0f);
    EXPECT_FLOAT_EQ (p.displayGain.load(), 1.0f);
    EXPECT_FLOAT_EQ (p.displayLevel.load(), 0.0f);
    ASSERT_EQ (midi.getNumEvents(), 1);
    EXPECT_TRUE ((*midi.begin()).getMessage().isNoteOn());
}

TEST_F (GainEngineTest, MidiPassesUntouched)
{
    auto& p = add();
    juce::AudioBuffer<float> buffer (1, 64);
    buffer.clear();
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::controllerEvent (3, 7, 99), 17);
    p.processBlock (buffer, midi);

    ASSERT_EQ (midi.getNumEvents(), 1);
    const auto event = *midi.begin();
    EXPECT_EQ (event.samplePosition, 17);
    EXPECT_TRUE (event.getMessage().isController());
    EXPECT_EQ (event.getMessage().getControllerValue(), 99);
}

TEST_F (GainEngineTest, SeventeenthInstanceHasNoSlotAndPassesAudio)
{
    for (int i = 0; i < registrySlotCount; ++i)
        EXPECT_EQ (add().slotIndex, i);

    auto& extra = add (2);
    EXPECT_EQ (extra.slotIndex, -1);

    juce::AudioBuffer<float> buffer (2, 128);
    juce::Random random (42);

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < 128; ++i)
            buffer.setSample (ch, i, random.nextFloat() * 2.0f - 1.0f);

    const auto original = buffer;
    juce::MidiBuffer midi;
    extra.processBlock (buffer, midi);

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < 128; ++i)
            ASSERT_EQ (buffer.getSample (ch, i), original.getSample (ch, i));

    EXPECT_FLOAT_EQ (extra.displayGain.load(), 1.0f);
    EXPECT_FLOAT_EQ (extra.displayThresholdDb.load(), -60.0f);

    // A freed slot goes to the next instance created, not to the one waiting without a slot.
    processors.erase (processors.begin() + 3);
    EXPECT_EQ (extra.slotIndex, -1);
    EXPECT_EQ (add().slotIndex, 3);
}

TEST_F (GainEngineTest, NonFiniteSamplesDoNotPoisonAnyTrack)
{
    add(); add();
    runConstant ({ 0.3f, 0.3f }, 0.2);

    constexpr auto nan = std::numeric_limits<float>::quiet_NaN();
    constexpr auto inf = std::numeric_limits<float>::infinity();
    auto& bad = *processors[1];
    const auto levelBefore = bad.displayLevel.load();

    juce::AudioBuffer<float> buffer (1, 8);
    const float samples[] = { nan, inf, -inf, 1.0e20f, 0.3f, 0.3f, 0.3f, 0.3f };
    juce::FloatVectorOperations::copy (buffer.getWritePointer (0), samples, 8);
    juce::MidiBuffer midi;
    bad.processBlock (buffer, midi);

    EXPECT_TRUE (std::isfinite (bad.displayLevel.load()));
    EXPECT_NEAR (bad.displayLevel.load(), levelBefore, 1e-3f);
    EXPECT_TRUE (std::isfinite (bad.displayGain.load()));

    for (int i = 4; i < 8; ++i)
        EXPECT_TRUE (std::isfinite (buffer.getSample (0, i)));

    runConstant ({ 0.3f, 0.3f }, 0.1);
    EXPECT_NEAR (gain (0), 0.5f, 1e-3f);
    EXPECT_NEAR (gain (1), 0.5f, 1e-3f);
}

TEST_F (GainEngineTest, NonFiniteParameterValuesFallBackToDefaults)
{
    add(); add();

    // A host may send anything through the normalised value; NaN survives the range's clamping.
    for (auto* parameter : processors[1]->getParameters())
        parameter->setValue (std::numeric_limits<float>::quiet_NaN());

    runConstant ({ 0.3f, 0.3f }, 4.0);

    // With defaults the pair shares equally (the 300 ms window has settled by now).
    EXPECT_NEAR (gain (0), 0.5f, 1e-3f);
    EXPECT_NEAR (gain (1), 0.5f, 1e-3f);
    EXPECT_FLOAT_EQ (processors[1]->displayThresholdDb.load(), -60.0f);
}
