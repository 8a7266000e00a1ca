#include "GainFrames.h"

#include <cmath>

GainFrameBuilder::GainFrameBuilder (double sampleRate, double frameSeconds, FrameCallback callback)
    : onFrame (std::move (callback)),
      frameLength (frameLengthFor (sampleRate, frameSeconds))
{
}

int GainFrameBuilder::frameLengthFor (double sampleRate, double frameSeconds) noexcept
{
    return juce::jmax (1, juce::roundToInt (sampleRate * frameSeconds));
}

void GainFrameBuilder::add (const juce::AudioBuffer<float>& input, const float* gains, int numSamples)
{
    channels = juce::jmax (1, input.getNumChannels());

    for (int i = 0; i < numSamples; ++i)
    {
        for (int ch = 0; ch < input.getNumChannels(); ++ch)
            sumOfSquares += (double) input.getSample (ch, i) * input.getSample (ch, i);

        sumOfGains += gains[i];

        if (++count == frameLength)
            finish();
    }
}

void GainFrameBuilder::finish()
{
    if (count == 0)
        return;

    const auto n = (double) count;
    onFrame ((float) std::sqrt (sumOfSquares / (n * channels)), (float) (sumOfGains / n));
    count = 0;
    sumOfSquares = sumOfGains = 0.0;
}

GainFrames makeGainFrames (const juce::AudioBuffer<float>& input, const std::vector<float>& gain,
                           double sampleRate, double frameSeconds)
{
    GainFrames frames;
    frames.frameSeconds = frameSeconds;

    GainFrameBuilder builder (sampleRate, frameSeconds, [&frames] (float level, float meanGain)
    {
        frames.level.push_back (level);
        frames.gain.push_back (meanGain);
    });

    builder.add (input, gain.data(), juce::jmin (input.getNumSamples(), (int) gain.size()));
    builder.finish();
    return frames;
}

float amplitudeToDecibels (float amplitude, float floorDb) noexcept
{
    return juce::Decibels::gainToDecibels (amplitude, floorDb);
}
