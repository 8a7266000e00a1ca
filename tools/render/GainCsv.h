#pragma once

#include <juce_core/juce_core.h>

/** Writes gains.csv row by row: the time (start of the frame, seconds) and, per track, the
    input RMS level and the applied gain, both in dB (floor -120).
*/
class GainCsvWriter
{
public:
    /** Creates the file and writes the header row. */
    juce::Result open (const juce::File& file, const juce::StringArray& trackNames, double frameSeconds);

    /** Appends the next frame's row; levels and gains (linear) hold one value per track. */
    bool addRow (const float* levels, const float* gains);

    /** Flushes and checks that every row reached the file. */
    juce::Result finish();

private:
    juce::File file;
    std::unique_ptr<juce::FileOutputStream> stream;
    int numTracks = 0;
    double frameSeconds = 0.01;
    juce::int64 row = 0;
};
