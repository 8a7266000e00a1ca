#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

/**
    The gain a pure time-varying gain applied, sample by sample: output over input where the
    input is not tiny, the last such ratio held across tiny samples (unity before the first).
    Of the channels, the one with the larger input sample decides.
*/
std::vector<float> measureAppliedGain (const juce::AudioBuffer<float>& input, const juce::AudioBuffer<float>& output);

/** Inputs whose magnitude is below this carry too little to read a gain from. */
inline constexpr float tinySampleMagnitude = 1.0e-6f;
