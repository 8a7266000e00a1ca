#pragma once

#include "GainFrames.h"

#include <juce_graphics/juce_graphics.h>

/** Draws gains.png: one panel per track with its input level and applied gain in dB over time,
    axes in seconds and dB, and the track's name.
*/
juce::Image drawGainPlot (const juce::StringArray& trackNames, const std::vector<GainFrames>& frames);

/** Draws the plot and writes it as a PNG file. */
juce::Result writeGainPlot (const juce::File& file, const juce::StringArray& trackNames,
                            const std::vector<GainFrames>& frames);
