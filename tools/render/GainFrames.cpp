#include "GainFrames.h"

#include <cmath>

GainFrames makeGainFrames (const juce::AudioBuffer<float>& input, const std::vector<float>& gain,
                           double sampleRate, double frameSeconds)
{
    GainFrames frames;
    frames.frameSeconds = frameSeconds;

    const auto frameLength = juce::jmax (1, juce::roundToInt (sampleRate * frameSeconds));
    const auto length = juce::jmin (input.getNumSamples(), (int) gain.size());
    const auto channels = juce::jmax (1, input.getNumChannels());

    for (int start = 0; start < length; start += frameLength)
    {
        const auto end = juce::jmin (length, start + frameLength);
        double sumOfSquares = 0.0, sumOfGains = 0.0;

        for (int i = start; i < end; ++i)
        {
            for (int ch = 0; ch < input.getNumChannels(); ++ch)
                sumOfSquares += (double) input.getSample (ch, i) * input.getSample (ch, i);

            sumOfGains += gain[(size_t) i];
        }

        const auto count = (double) (end - start);
        frames.level.push_back ((float) std::sqrt (sumOfSquares / (count * channels)));
        frames.gain.push_back ((float) (sumOfGains / count));
    }

    return frames;
}

float amplitudeToDecibels (float amplitude, float floorDb) noexcept
{
    return juce::Decibels::gainToDecibels (amplitude, floorDb);
}
