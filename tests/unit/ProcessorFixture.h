#pragma once

#include "PluginProcessor.h"
#include "SharedBleedManager.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

/** Processors as a host would run them: prepared, then fed block k of every track before block k+1 of any. */
class ProcessorFixture  : public ::testing::Test
{
protected:
    static constexpr double sampleRate = 48000.0;
    static constexpr int blockSize = 256;

    void SetUp() override
    {
        ASSERT_EQ (SharedBleedManager::getInstance().getActiveCount(), 0) << "a test leaked an instance";
    }

    ZIDodavAzaviduroProcessor& add (int numChannels = 1)
    {
        auto p = std::make_unique<ZIDodavAzaviduroProcessor>();
        const auto set = numChannels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (set);
        layout.outputBuses.add (set);
        EXPECT_TRUE (p->setBusesLayout (layout));
        // Short windows so that levels and gains settle within a fraction of a second.
        setParameter (*p, ParameterIDs::rmsWindow, 10.0f);
        p->prepareToPlay (sampleRate, blockSize);
        processors.push_back (std::move (p));
        return *processors.back();
    }

    static void setParameter (ZIDodavAzaviduroProcessor& p, const char* id, float plainValue)
    {
        auto* parameter = p.parameters.getParameter (id);
        ASSERT_NE (parameter, nullptr);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (plainValue));
    }

    /** Feeds every processor a constant level on every channel for the given time, round robin. */
    void runConstant (const std::vector<float>& levels, double seconds)
    {
        ASSERT_EQ (levels.size(), processors.size());
        const auto blocks = (int) (seconds * sampleRate / blockSize);

        for (int b = 0; b < blocks; ++b)
        {
            for (size_t i = 0; i < processors.size(); ++i)
            {
                auto& p = *processors[i];
                juce::AudioBuffer<float> buffer (p.getTotalNumInputChannels(), blockSize);

                for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
                    juce::FloatVectorOperations::fill (buffer.getWritePointer (ch), levels[i], blockSize);

                juce::MidiBuffer midi;
                p.processBlock (buffer, midi);
                lastOutputs.resize (processors.size());
                lastOutputs[i] = buffer;
            }
        }
    }

    float gain (size_t i) const    { return processors[i]->displayGain.load(); }

    std::vector<std::unique_ptr<ZIDodavAzaviduroProcessor>> processors;
    std::vector<juce::AudioBuffer<float>> lastOutputs;
};
