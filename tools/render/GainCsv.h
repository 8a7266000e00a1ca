#pragma once

#include "GainFrames.h"

#include <juce_core/juce_core.h>

/** Writes gains.csv: one row per frame with the time (start of the frame, seconds) and, per
    track, the input RMS level and the applied gain, both in dB (floor -120).
*/
juce::Result writeGainCsv (const juce::File& file, const juce::StringArray& trackNames,
                           const std::vector<GainFrames>& frames);
