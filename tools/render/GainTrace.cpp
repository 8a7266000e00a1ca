#include "GainTrace.h"

#include <cmath>

std::vector<float> measureAppliedGain (const juce::AudioBuffer<float>& input, const juce::AudioBuffer<float>& output)
{
    const auto length = juce::jmin (input.getNumSamples(), output.getNumSamples());
    const auto channels = juce::jmin (input.getNumChannels(), output.getNumChannels());
    std::vector<float> gain ((size_t) juce::jmax (0, length), 1.0f);
    float held = 1.0f;

    for (int i = 0; i < length; ++i)
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

        gain[(size_t) i] = held;
    }

    return gain;
}
