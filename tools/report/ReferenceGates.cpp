#include "ReferenceGates.h"

#include <cmath>

float onePoleCoefficientFor (double sampleRate, float timeMs) noexcept
{
    const auto samples = sampleRate * (double) timeMs * 0.001;
    return samples > 0.0 ? (float) std::exp (-1.0 / samples) : 0.0f;
}

std::vector<float> computeNoiseGateGain (const juce::AudioBuffer<float>& input, double sampleRate,
                                         const NoiseGateSettings& settings)
{
    const auto length = input.getNumSamples();
    std::vector<float> gain ((size_t) length, settings.floorGain);

    const auto threshold = std::pow (10.0f, settings.thresholdDb / 20.0f);
    const auto attack = onePoleCoefficientFor (sampleRate, settings.attackMs);
    const auto release = onePoleCoefficientFor (sampleRate, settings.releaseMs);
    const auto holdSamples = (int) std::lround (sampleRate * settings.holdMs * 0.001);

    int holdLeft = 0;
    auto current = settings.floorGain;
    const auto* const* channels = input.getArrayOfReadPointers();

    for (int i = 0; i < length; ++i)
    {
        float peak = 0.0f;

        for (int ch = 0; ch < input.getNumChannels(); ++ch)
            peak = juce::jmax (peak, std::abs (channels[ch][i]));

        if (peak > threshold)
            holdLeft = holdSamples;
        else if (holdLeft > 0)
            --holdLeft;

        const auto open = peak > threshold || holdLeft > 0;
        const auto target = open ? 1.0f : settings.floorGain;
        const auto coefficient = target > current ? attack : release;
        current = coefficient * current + (1.0f - coefficient) * target;
        gain[(size_t) i] = current;
    }

    return gain;
}

std::vector<float> computeOracleGateGain (int numSamples, const std::vector<juce::Range<int>>& ownTurns,
                                          double sampleRate, float floorGain, float smoothingMs)
{
    std::vector<float> target ((size_t) juce::jmax (0, numSamples), floorGain);

    for (const auto& turn : ownTurns)
        for (int i = juce::jmax (0, turn.getStart()); i < juce::jmin (numSamples, turn.getEnd()); ++i)
            target[(size_t) i] = 1.0f;

    const auto coefficient = onePoleCoefficientFor (sampleRate, smoothingMs);
    auto current = floorGain;

    for (auto& value : target)
    {
        current = coefficient * current + (1.0f - coefficient) * value;
        value = current;
    }

    return target;
}
