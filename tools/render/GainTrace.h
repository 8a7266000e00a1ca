#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

/** Inputs whose magnitude is below this carry too little to read a gain from. */
inline constexpr float tinySampleMagnitude = 1.0e-6f;

/**
    Reads the gain a pure time-varying gain applied, sample by sample, one block after another:
    output over input where the input is not tiny, the last such ratio held across tiny samples
    (unity before the first). Of the channels, the one with the larger input sample decides.
*/
class AppliedGainMeter
{
public:
    /** Writes the gain of the block's first numSamples samples into gains (room for numSamples). */
    void measure (const juce::AudioBuffer<float>& input, const juce::AudioBuffer<float>& output,
                  int numSamples, float* gains) noexcept;

private:
    float held = 1.0f;
};

/** The same over whole buffers. */
std::vector<float> measureAppliedGain (const juce::AudioBuffer<float>& input, const juce::AudioBuffer<float>& output);
