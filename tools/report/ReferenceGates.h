#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

/** A plain noise gate, the tool a user would otherwise reach for. */
struct NoiseGateSettings
{
    /** The gate opens while the input's sample peak is above this. */
    float thresholdDb = -40.0f;

    /** Time constants of the gain moving up (attack) and down (release), and how long the gate
        stays open after the input last crossed the threshold.
    */
    float attackMs = 1.0f, holdMs = 100.0f, releaseMs = 200.0f;

    /** The gain while closed (0: shut). */
    float floorGain = 0.0f;
};

/** The gain a noise gate applies to a track, one value per sample. */
std::vector<float> computeNoiseGateGain (const juce::AudioBuffer<float>& input, double sampleRate,
                                         const NoiseGateSettings& settings);

/** The gain of a gate that knows who talks: unity during the mic's own talker's turns, the floor
    otherwise, through a one-pole smoother of the given time constant.
*/
std::vector<float> computeOracleGateGain (int numSamples, const std::vector<juce::Range<int>>& ownTurns,
                                          double sampleRate, float floorGain = 0.0f, float smoothingMs = 5.0f);

/** y = a y + (1 - a) x: the coefficient a for a time constant in milliseconds. */
float onePoleCoefficientFor (double sampleRate, float timeMs) noexcept;
