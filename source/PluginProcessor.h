#pragma once

#include "identity/HestrelIdentity.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>

/**
    One Hestrel insert: measures its track's level, shares it with every other instance in
    the process through the SharedBleedManager, and applies the floored, smoothed gain that
    its share earns.
*/
class ZIDodavAzaviduroProcessor  : public juce::AudioProcessor
{
public:
    ZIDodavAzaviduroProcessor();
    ~ZIDodavAzaviduroProcessor() override;

    /** Builds the six parameters, in the order the host lists them. */
    static juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout();

    //==============================================================================
    const juce::String getName() const override;

    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override;
    using juce::AudioProcessor::processBlock;

    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;
    bool isMidiEffect() const override;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;

    //==============================================================================
    /** The parameter tree: the six parameters, mirrored in a value tree of type "Parameters". */
    juce::AudioProcessorValueTreeState parameters;

    /** This instance's slot in the SharedBleedManager (0 up to registrySlotCount - 1), or -1 when all were taken.
        Claimed once at construction and kept until destruction.
    */
    const int slotIndex;

    /** Read-out: input level (linear RMS) at the end of the last block. */
    std::atomic<float> displayLevel { 0.0f };

    /** Read-out: applied gain (linear) at the end of the last block. */
    std::atomic<float> displayGain { 1.0f };

    /** Read-out: applied gain in dB, never below -60. */
    std::atomic<float> displayGainDb { 0.0f };

    /** Read-out: the noise floor (dB) that the last block used. */
    std::atomic<float> displayThresholdDb { -60.0f };

private:
    /** The raw value of one parameter, looked up once so the audio thread never searches by ID. */
    struct ParameterReader
    {
        ParameterReader (juce::AudioProcessorValueTreeState&, const char* parameterID);

        /** The current plain value; the default when the host has sent something not finite. */
        float get() const noexcept;

        std::atomic<float>* value = nullptr;
        float defaultValue = 0.0f;
    };

    static float onePoleCoefficient (float sampleRate, float timeMs) noexcept;
    void updateCoefficients (float rmsWindowMs, float smoothingMs) noexcept;
    void prepareLoadedState (juce::ValueTree& loadedState) const;

    float powerEnvelope = 0.0f;
    float rmsCoeff = 0.0f;
    float appliedGain = 1.0f;
    float smoothingCoeff = 0.0f;
    double currentSampleRate = 44100.0;

    const ParameterReader rmsWindowValue   { parameters, ParameterIDs::rmsWindow };
    const ParameterReader smoothingValue   { parameters, ParameterIDs::smoothing };
    const ParameterReader bleedRejectValue { parameters, ParameterIDs::bleedReject };
    const ParameterReader thresholdValue   { parameters, ParameterIDs::threshold };
    const ParameterReader weightValue      { parameters, ParameterIDs::weight };
    const ParameterReader maxAttenValue    { parameters, ParameterIDs::maxAtten };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZIDodavAzaviduroProcessor)
};
