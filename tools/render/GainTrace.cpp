#include "GainTrace.h"

#include <cmath>

void AppliedGainMeter::measure (const juce::AudioBuffer<float>& input, const juce::AudioBuffer<float>& output,
                                int numSamples, float* gains) noexcept
{
    const auto channels = juce::jmin (input.getNumChannels(), output.getNumChannels());

    for (int i = 0; i < numSamples; ++i)
    {
        float x = 0.0f, y = 0.0f;

        for (int ch = 0; ch < channels; ++ch)
        {
            const auto sample = input.getSample (ch, i);

            if (std::abs (sample) > std::abs (x))
            {
                x = sample;
                y = output.getSample (ch, i);
            }
        }

        if (std::abs (x) > tinySampleMagnitude)
            held = y / x;

        gains[i] = held;
    }
}

std::vector<float> measureAppliedGain (const juce::AudioBuffer<float>& input, const juce::AudioBuffer<float>& output)
{
    const auto length = juce::jmax (0, juce::jmin (input.getNumSamples(), output.getNumSamples()));
    std::vector<float> gain ((size_t) length, 1.0f);
    AppliedGainMeter().measure (input, output, length, gain.data());
    return gain;
}
