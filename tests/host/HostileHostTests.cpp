// What a careless or hostile host does to the built bundle: odd sample rates and block sizes,
// calls out of order, many instances, samples and automation a track should never carry.
// Instances are created and deleted on this (the message) thread; audio runs where noted.

#include "HostedPlugin.h"

#include <HostedInstances.h>
#include <HostedParameters.h>
#include <identity/HestrelIdentity.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <numeric>
#include <thread>

namespace
{
    using Instance = std::unique_ptr<juce::AudioPluginInstance>;

    Instance createStereo (double sampleRate = 48000.0, int blockSize = 256)
    {
        auto instance = HostedPlugin::create (sampleRate, blockSize);

        if (instance != nullptr)
        {
            EXPECT_TRUE (HestrelHost::setChannelLayout (*instance, 2).wasOk());
        }

        return instance;
    }

    /** One block of noise at the given level through the instance; true if every output sample is finite. */
    bool processNoise (juce::AudioPluginInstance& instance, int numSamples, float level, juce::Random& random)
    {
        juce::AudioBuffer<float> buffer (2, numSamples);

        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < numSamples; ++i)
                buffer.setSample (ch, i, level * (random.nextFloat() * 2.0f - 1.0f));

        juce::MidiBuffer midi;
        instance.processBlock (buffer, midi);

        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < numSamples; ++i)
                if (! std::isfinite (buffer.getSample (ch, i)))
                    return false;

        return true;
    }

    /** Processes another instance on an audio thread of its own until destroyed. */
    struct BackgroundAudio
    {
        explicit BackgroundAudio (juce::AudioPluginInstance& instanceToRun)
            : instance (instanceToRun),
              thread ([this]
              {
                  juce::Random random (1);

                  while (! stop)
                      if (! processNoise (instance, 128, 0.3f, random))
                          allFinite = false;
              })
        {
        }

        ~BackgroundAudio()
        {
            stop = true;
            thread.join();
        }

        juce::AudioPluginInstance& instance;
        std::atomic<bool> stop { false }, allFinite { true };
        std::thread thread;
    };
}

TEST (HostileHost, EverySampleRateAndBlockSizeWhileAnotherInstanceRuns)
{
    auto other = createStereo();
    auto instance = createStereo();
    ASSERT_NE (other, nullptr);
    ASSERT_NE (instance, nullptr);
    other->prepareToPlay (48000.0, 128);

    BackgroundAudio background (*other);
    juce::Random random (2);

    for (const auto sampleRate : { 8000.0, 22050.0, 44100.0, 48000.0, 96000.0, 192000.0 })
    {
        for (const auto blockSize : { 1, 2, 17, 64, 256, 1024, 8192 })
        {
            instance->releaseResources();
            instance->setRateAndBufferSizeDetails (sampleRate, blockSize);
            instance->prepareToPlay (sampleRate, blockSize);

            for (int block = 0; block < 3; ++block)
                ASSERT_TRUE (processNoise (*instance, blockSize, 0.5f, random)) << sampleRate << " Hz, " << blockSize;
        }
    }

    EXPECT_TRUE (background.allFinite);
}

TEST (HostileHost, CallsOutOfOrderAndOddBlocks)
{
    juce::Random random (3);

    {
        // Audio before any preparation, then an empty block, then more samples than prepared.
        auto instance = createStereo();
        ASSERT_NE (instance, nullptr);
        EXPECT_TRUE (processNoise (*instance, 256, 0.5f, random));

        instance->prepareToPlay (48000.0, 256);
        EXPECT_TRUE (processNoise (*instance, 0, 0.5f, random));
        EXPECT_TRUE (processNoise (*instance, 1024, 0.5f, random));
        EXPECT_TRUE (processNoise (*instance, 8192, 0.5f, random));

        // Released, prepared again, released twice, prepared with another rate.
        instance->releaseResources();
        instance->prepareToPlay (48000.0, 256);
        EXPECT_TRUE (processNoise (*instance, 256, 0.5f, random));
        instance->releaseResources();
        instance->releaseResources();
        instance->prepareToPlay (96000.0, 64);
        EXPECT_TRUE (processNoise (*instance, 64, 0.5f, random));
    }

    {
        // Deleted while prepared, without a release.
        auto instance = createStereo();
        ASSERT_NE (instance, nullptr);
        instance->prepareToPlay (44100.0, 512);
        EXPECT_TRUE (processNoise (*instance, 512, 0.5f, random));
    }
}

TEST (HostileHost, InstancesDeletedInEveryOrder)
{
    std::vector<int> order { 0, 1, 2, 3 };
    juce::Random random (4);

    do
    {
        std::vector<Instance> instances;

        for (int i = 0; i < 4; ++i)
        {
            instances.push_back (createStereo());
            ASSERT_NE (instances.back(), nullptr);
            instances.back()->prepareToPlay (48000.0, 64);
            ASSERT_TRUE (processNoise (*instances.back(), 64, 0.3f, random));
        }

        for (const auto index : order)
        {
            instances[(size_t) index].reset();

            for (auto& remaining : instances)
            {
                if (remaining != nullptr)
                {
                    ASSERT_TRUE (processNoise (*remaining, 64, 0.3f, random));
                }
            }
        }
    }
    while (std::next_permutation (order.begin(), order.end()));
}

TEST (HostileHost, FortyInstancesAtOnceAndTheSeventeenthOnPassAudioUnchanged)
{
    std::vector<Instance> instances;

    for (int i = 0; i < 40; ++i)
    {
        instances.push_back (createStereo());
        ASSERT_NE (instances.back(), nullptr) << "instance " << i;
        instances.back()->prepareToPlay (48000.0, 256);
    }

    // One audio thread, every instance once per round, as a host with one engine thread does.
    std::vector<bool> unchanged (instances.size(), true);

    std::thread audio ([&]
    {
        juce::MidiBuffer midi;

        for (int round = 0; round < 20; ++round)
        {
            for (size_t i = 0; i < instances.size(); ++i)
            {
                juce::AudioBuffer<float> buffer (2, 256);

                for (int ch = 0; ch < 2; ++ch)
                    for (int s = 0; s < 256; ++s)
                        buffer.setSample (ch, s, 0.25f * std::sin (0.01f * (float) (s + 7 * (int) i)));

                const juce::AudioBuffer<float> input (buffer);
                instances[i]->processBlock (buffer, midi);

                for (int ch = 0; ch < 2; ++ch)
                {
                    for (int s = 0; s < 256; ++s)
                    {
                        if (buffer.getSample (ch, s) != input.getSample (ch, s))
                            unchanged[i] = false;
                    }
                }
            }
        }
    });

    audio.join();

    for (size_t i = 0; i < 16; ++i)
        EXPECT_FALSE (unchanged[i]) << "instance " << i << " holds a slot and shares the mix";

    for (size_t i = 16; i < instances.size(); ++i)
        EXPECT_TRUE (unchanged[i]) << "instance " << i << " has no slot";
}

TEST (HostileHost, NonFiniteAndHugeSamplesDoNotPoisonLaterAudio)
{
    constexpr auto nan = std::numeric_limits<float>::quiet_NaN();
    constexpr auto inf = std::numeric_limits<float>::infinity();
    juce::Random random (5);

    for (const auto bad : { nan, inf, -inf, 1e30f, -1e30f, std::numeric_limits<float>::max() })
    {
        auto instance = createStereo();
        ASSERT_NE (instance, nullptr);
        instance->prepareToPlay (48000.0, 256);
        ASSERT_TRUE (processNoise (*instance, 256, 0.5f, random));

        juce::AudioBuffer<float> buffer (2, 256);
        buffer.clear();
        buffer.setSample (0, 10, bad);
        buffer.setSample (1, 200, bad);
        juce::MidiBuffer midi;
        instance->processBlock (buffer, midi);

        for (int block = 0; block < 20; ++block)
            ASSERT_TRUE (processNoise (*instance, 256, 0.5f, random)) << bad << ", block " << block;
    }
}

// What the plug-in holds is read back from its component state: JUCE's host keeps its own copy
// of the values it sent.
TEST (HostileHost, AutomationOutsideZeroToOneLeavesValuesInRange)
{
    constexpr auto nan = std::numeric_limits<float>::quiet_NaN();
    constexpr auto inf = std::numeric_limits<float>::infinity();
    auto instance = createStereo();
    auto reference = createStereo();
    ASSERT_NE (instance, nullptr);
    ASSERT_NE (reference, nullptr);
    instance->prepareToPlay (48000.0, 256);
    juce::Random random (6);

    const auto heldText = [] (juce::AudioPluginInstance& plugin)
    {
        const auto state = HestrelHost::getComponentState (plugin);
        return juce::String::fromUTF8 (static_cast<const char*> (state.getData()) + 8, 282);
    };

    for (int index = 0; index < 6; ++index)
    {
        auto* parameter = instance->getParameters()[index];
        auto* same = reference->getParameters()[index];

        struct Case { float sent; float equivalent; };
        for (const auto& c : { Case { nan, parameter->getDefaultValue() }, Case { -0.5f, 0.0f },
                               Case { 1.5f, 1.0f }, Case { -inf, 0.0f }, Case { inf, 1.0f } })
        {
            parameter->setValueNotifyingHost (0.4f);
            ASSERT_TRUE (processNoise (*instance, 256, 0.5f, random));
            parameter->setValueNotifyingHost (c.sent);
            ASSERT_TRUE (processNoise (*instance, 256, 0.5f, random)) << parameter->getName (100);

            same->setValueNotifyingHost (c.equivalent);
            EXPECT_EQ (heldText (*instance), heldText (*reference)) << parameter->getName (100) << " sent " << c.sent;
            EXPECT_FALSE (parameter->getCurrentValueAsText().containsIgnoreCase ("nan")) << parameter->getName (100);
        }
    }
}
