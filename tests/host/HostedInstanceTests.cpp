// A DAW's view of Hestrel: instances created, restored and destroyed on the message thread,
// audio processed on a thread of its own.

#include "HostedPlugin.h"

#include <gtest/gtest.h>

#include <thread>

namespace
{
    constexpr double sampleRate = 48000.0;
    constexpr int blockSize = 256;

    using Instances = std::vector<std::unique_ptr<juce::AudioPluginInstance>>;

    Instances createPrepared (int count, const juce::AudioChannelSet& channels = juce::AudioChannelSet::stereo())
    {
        Instances instances;

        for (int i = 0; i < count; ++i)
        {
            auto instance = HostedPlugin::create (sampleRate, blockSize);

            if (instance == nullptr)
                return {};

            juce::AudioProcessor::BusesLayout layout;
            layout.inputBuses.add (channels);
            layout.outputBuses.add (channels);
            EXPECT_TRUE (instance->setBusesLayout (layout));
            // A short window, so that levels settle within a fraction of a second.
            HostedPlugin::setFromText (*instance, "RMS Window", "10");
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

    const char* names[] = { "RMS Window", "Bleed Rejection", "Noise Floor", "Smoothing", "Weight", "Max Attenuation", "Bypass" };
    const char* texts[] = { "300 ms", "-12.0 dB", "-60.0 dB", "5.0 ms", "100 %", "-inf" };

    for (int i = 0; i < 7; ++i)
        EXPECT_EQ (parameters[i]->getName (100), names[i]) << "index " << i;

    for (int i = 0; i < 6; ++i)
        EXPECT_EQ (parameters[i]->getCurrentValueAsText(), texts[i]) << names[i];

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
        auto pair = createPrepared (2, juce::AudioChannelSet::mono());
        ASSERT_EQ (pair.size(), 2u);
        const auto out = processConstant (pair, { 1.0f, 0.1f }, 0.5);
        EXPECT_NEAR (out[0], 1.0f / 1.1f, 1e-4f);
        EXPECT_NEAR (out[1] / 0.1f, 0.1f / 1.1f * 4.0f / 12.0f, 1e-4f);
    }

    {
        auto pair = createPrepared (2);
        ASSERT_EQ (pair.size(), 2u);
        HostedPlugin::setFromText (*pair[0], "Weight", "200");
        const auto out = processConstant (pair, { 0.3f, 0.3f }, 0.5);
        EXPECT_NEAR (out[0] / 0.3f, 2.0f / 3.0f, 1e-4f);
        EXPECT_NEAR (out[1] / 0.3f, 1.0f / 3.0f, 1e-4f);
    }
}

TEST (HostedInstance, SeventeenthInstancePassesAudioUnchanged)
{
    auto instances = createPrepared (17);
    ASSERT_EQ (instances.size(), 17u);

    const auto out = processConstant (instances, std::vector<float> (17, 0.5f), 0.3);

    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR (out[(size_t) i], 0.5f / 16.0f, 1e-4f) << "instance " << i;

    EXPECT_EQ (out[16], 0.5f);
}

TEST (HostedInstance, ComponentStateIsTheBlobThenTheWrapperTrailer)
{
    auto instance = HostedPlugin::create();
    ASSERT_NE (instance, nullptr);

    const auto state = HostedPlugin::componentState (*instance);
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
        { "RMS Window", "123" }, { "Bleed Rejection", "-20.5" }, { "Noise Floor", "-47.3" },
        { "Smoothing", "25.4" }, { "Weight", "37" },             { "Max Attenuation", "-18.5" },
    };

    for (const auto& [name, text] : settings)
        HostedPlugin::setFromText (*original, name, text);

    const auto saved = HostedPlugin::componentState (*original);

    auto restored = HostedPlugin::create();
    ASSERT_NE (restored, nullptr);
    HostedPlugin::restoreComponentState (*restored, saved);

    for (const auto& [name, text] : settings)
        EXPECT_EQ (HostedPlugin::findParameter (*restored, name)->getCurrentValueAsText(),
                   HostedPlugin::findParameter (*original, name)->getCurrentValueAsText()) << name;

    EXPECT_EQ (HostedPlugin::findParameter (*restored, "Weight")->getCurrentValueAsText(), "37 %");
    EXPECT_EQ (HostedPlugin::componentState (*restored), saved);

    // Foreign or damaged data changes nothing.
    const juce::MemoryBlock garbage ("not a Hestrel state at all, just bytes", 38);
    HostedPlugin::restoreComponentState (*restored, garbage);
    HostedPlugin::restoreComponentState (*restored, juce::MemoryBlock (saved.getData(), 100));
    EXPECT_EQ (HostedPlugin::componentState (*restored), saved);
}
