// A DAW's view of Hestrel: instances created, restored and destroyed on the message thread,
// audio processed on a thread of its own.

#include "HostedPlugin.h"

#include <HostedInstances.h>
#include <HostedParameters.h>
#include <identity/HestrelIdentity.h>

#include <gtest/gtest.h>

#include <thread>

namespace
{
    constexpr double sampleRate = 48000.0;
    constexpr int blockSize = 256;

    using Instances = std::vector<std::unique_ptr<juce::AudioPluginInstance>>;

    Instances createPrepared (int count, int numChannels = 2)
    {
        Instances instances;

        for (int i = 0; i < count; ++i)
        {
            auto instance = HostedPlugin::create (sampleRate, blockSize);

            if (instance == nullptr)
                return {};

            EXPECT_TRUE (HestrelHost::setChannelLayout (*instance, numChannels).wasOk());
            // A short window, so that levels settle within a fraction of a second.
            EXPECT_TRUE (HestrelHost::setParameterFromText (*instance, ParameterIDs::rmsWindow, "10"));
            instance->prepareToPlay (sampleRate, blockSize);
            instances.push_back (std::move (instance));
        }

        return instances;
    }

    /** Runs every instance on constant input, round robin, on an audio thread; returns each one's last output sample. */
    std::vector<float> processConstant (Instances& instances, const std::vector<float>& levels, double seconds)
    {
        std::vector<float> lastSamples (instances.size());

        std::thread audioThread ([&]
        {
            juce::MidiBuffer midi;

            for (int b = 0; b < (int) (seconds * sampleRate / blockSize); ++b)
            {
                for (size_t i = 0; i < instances.size(); ++i)
                {
                    auto& instance = *instances[i];
                    juce::AudioBuffer<float> buffer (instance.getTotalNumInputChannels(), blockSize);

                    for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
                        juce::FloatVectorOperations::fill (buffer.getWritePointer (ch), levels[i], blockSize);

                    instance.processBlock (buffer, midi);
                    lastSamples[i] = buffer.getSample (buffer.getNumChannels() - 1, blockSize - 1);
                }
            }
        });

        audioThread.join();
        return lastSamples;
    }

}

TEST (HostedInstance, SixParametersInOrderThenTheBypass)
{
    auto instance = HostedPlugin::create();
    ASSERT_NE (instance, nullptr);

    const auto& parameters = instance->getParameters();
    ASSERT_EQ (parameters.size(), 7);

    const char* texts[] = { "300 ms", "-12.0 dB", "-60.0 dB", "5.0 ms", "100 %", "-inf" };

    for (int i = 0; i < 6; ++i)
    {
        EXPECT_EQ (parameters[i]->getName (100), hestrelParameters[(size_t) i].displayName) << "index " << i;
        EXPECT_EQ (parameters[i]->getCurrentValueAsText(), texts[i]) << hestrelParameters[(size_t) i].displayName;
    }

    EXPECT_EQ (parameters[6]->getName (100), "Bypass");

    EXPECT_EQ (instance->getBypassParameter(), parameters[6]);
    EXPECT_EQ (instance->getLatencySamples(), 0);
    EXPECT_EQ (instance->getTailLengthSeconds(), 0.0);
    EXPECT_FALSE (instance->acceptsMidi());
    EXPECT_FALSE (instance->producesMidi());
    EXPECT_TRUE (instance->hasEditor());
}

TEST (HostedInstance, OnlyMatchingMonoOrStereoLayouts)
{
    auto instance = HostedPlugin::create();
    ASSERT_NE (instance, nullptr);

    // A disabled bus is not asked of the processor here: VST3 hosts switch buses off with
    // activateBus, which the wrapper must always accept (it feeds silence instead).
    using Set = juce::AudioChannelSet;
    const struct { const char* name; Set in, out; bool accepted; } cases[] = {
        { "mono to mono",      Set::mono(),           Set::mono(),           true },
        { "stereo to stereo",  Set::stereo(),         Set::stereo(),         true },
        { "mono to stereo",    Set::mono(),           Set::stereo(),         false },
        { "stereo to mono",    Set::stereo(),         Set::mono(),           false },
        { "5.1 to 5.1",        Set::create5point1(),  Set::create5point1(),  false },
        { "quad to quad",      Set::quadraphonic(),   Set::quadraphonic(),   false },
    };

    for (const auto& c : cases)
    {
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (c.in);
        layout.outputBuses.add (c.out);
        EXPECT_EQ (instance->checkBusesLayoutSupported (layout), c.accepted) << c.name;
    }
}

TEST (HostedInstance, InstancesInOneProcessShareTheMix)
{
    {
        auto pair = createPrepared (2);
        ASSERT_EQ (pair.size(), 2u);
        const auto out = processConstant (pair, { 0.3f, 0.3f }, 0.5);
        EXPECT_NEAR (out[0], 0.15f, 1e-4f);
        EXPECT_NEAR (out[1], 0.15f, 1e-4f);
    }

    {
        auto pair = createPrepared (2, 1);
        ASSERT_EQ (pair.size(), 2u);
        const auto out = processConstant (pair, { 1.0f, 0.1f }, 0.5);
        EXPECT_NEAR (out[0], 1.0f / 1.1f, 1e-4f);
        EXPECT_NEAR (out[1] / 0.1f, 0.1f / 1.1f * 4.0f / 12.0f, 1e-4f);
    }

    {
        auto pair = createPrepared (2);
        ASSERT_EQ (pair.size(), 2u);
        ASSERT_TRUE (HestrelHost::setParameterFromText (*pair[0], ParameterIDs::weight, "200"));
        const auto out = processConstant (pair, { 0.3f, 0.3f }, 0.5);
        EXPECT_NEAR (out[0] / 0.3f, 2.0f / 3.0f, 1e-4f);
        EXPECT_NEAR (out[1] / 0.3f, 1.0f / 3.0f, 1e-4f);
    }
}

TEST (HostedInstance, SeventeenthInstancePassesAudioUnchanged)
{
    auto instances = createPrepared (registrySlotCount + 1);
    ASSERT_EQ (instances.size(), (size_t) registrySlotCount + 1);

    const auto out = processConstant (instances, std::vector<float> (instances.size(), 0.5f), 0.3);

    for (int i = 0; i < registrySlotCount; ++i)
        EXPECT_NEAR (out[(size_t) i], 0.5f / (float) registrySlotCount, 1e-4f) << "instance " << i;

    EXPECT_EQ (out[(size_t) registrySlotCount], 0.5f);
}

TEST (HostedInstance, ComponentStateIsTheBlobThenTheWrapperTrailer)
{
    auto instance = HostedPlugin::create();
    ASSERT_NE (instance, nullptr);

    const auto state = HestrelHost::getComponentState (*instance);
    ASSERT_GT (state.getSize(), 291u + 8u + 8u + 15u);

    const auto* bytes = static_cast<const char*> (state.getData());
    EXPECT_EQ (juce::String (juce::CharPointer_UTF8 (bytes + 8), 39), "<?xml version=\"1.0\" encoding=\"UTF-8\"?> ");
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (bytes + 4), 282u);
    EXPECT_EQ (bytes[290], 0);

    for (int i = 291; i < 299; ++i)
        EXPECT_EQ (bytes[i], 0) << "byte " << i;

    const auto size = state.getSize();
    EXPECT_EQ (std::string (bytes + size - 15, 15), "JUCEPrivateData");

    const auto privateSize = (size_t) juce::ByteOrder::littleEndianInt64 (bytes + size - 23);
    ASSERT_EQ (291 + 8 + privateSize + 8 + 15, size);

    const auto privateTree = juce::ValueTree::readFromData (bytes + 299, privateSize);
    EXPECT_EQ (privateTree.getType().toString(), "JUCEPrivateData");
    EXPECT_TRUE (privateTree.hasProperty ("Bypass"));
    EXPECT_FALSE ((bool) privateTree["Bypass"]);
}

TEST (HostedInstance, ProjectStateRestoresIntoAFreshInstance)
{
    auto original = HostedPlugin::create();
    ASSERT_NE (original, nullptr);

    const std::pair<const char*, const char*> settings[] = {
        { ParameterIDs::rmsWindow, "123" }, { ParameterIDs::bleedReject, "-20.5" }, { ParameterIDs::threshold, "-47.3" },
        { ParameterIDs::smoothing, "25.4" }, { ParameterIDs::weight, "37" },        { ParameterIDs::maxAtten, "-18.5" },
    };

    for (const auto& [id, text] : settings)
        ASSERT_TRUE (HestrelHost::setParameterFromText (*original, id, text)) << id;

    const auto saved = HestrelHost::getComponentState (*original);

    auto restored = HostedPlugin::create();
    ASSERT_NE (restored, nullptr);
    HestrelHost::restoreComponentState (*restored, saved);

    for (const auto& [id, text] : settings)
        EXPECT_EQ (HestrelHost::getParameterText (*restored, id), HestrelHost::getParameterText (*original, id)) << id;

    EXPECT_EQ (HestrelHost::getParameterText (*restored, ParameterIDs::weight), "37 %");
    EXPECT_EQ (HestrelHost::getComponentState (*restored), saved);

    // Foreign or damaged data changes nothing.
    const juce::MemoryBlock garbage ("not a Hestrel state at all, just bytes", 38);
    HestrelHost::restoreComponentState (*restored, garbage);
    HestrelHost::restoreComponentState (*restored, juce::MemoryBlock (saved.getData(), 100));
    EXPECT_EQ (HestrelHost::getComponentState (*restored), saved);
}
