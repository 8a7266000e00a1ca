#pragma once

#include "GainFrames.h"

#include <juce_graphics/juce_graphics.h>

/**
    What the plot keeps of one track: every frame while a session is short enough to draw them
    one by one, else the lowest and highest level and gain per pixel column, so its size does
    not grow with the session's length.
*/
class GainPlotTrace
{
public:
    /** The lowest and highest value seen in one column. */
    struct ValueSpan
    {
        float lowest = 1.0e9f, highest = -1.0e9f;
        void include (float value) noexcept    { lowest = juce::jmin (lowest, value); highest = juce::jmax (highest, value); }
    };

    /** Beyond this many frames (about 17 minutes of 10 ms frames) the plot keeps an envelope. */
    static constexpr juce::int64 maxFramesDrawnOneByOne = 100000;

    /** Envelope columns: one per pixel of the plot's width. */
    static constexpr int envelopeColumns = 1306;

    GainPlotTrace (juce::int64 totalFrames, double frameSeconds);

    /** Adds the next frame (linear level and gain). */
    void add (float level, float gain);

    bool isEnvelope() const noexcept    { return ! levelColumns.empty(); }
    const GainFrames& getFrames() const noexcept    { return frames; }
    const std::vector<ValueSpan>& getLevelColumns() const noexcept    { return levelColumns; }
    const std::vector<ValueSpan>& getGainColumns() const noexcept    { return gainColumns; }

    /** The length of what was added. */
    double getSeconds() const noexcept;

private:
    double frameSeconds;
    juce::int64 numFrames, added = 0;
    GainFrames frames;
    std::vector<ValueSpan> levelColumns, gainColumns;
};

/** Draws gains.png: one panel per track with its input level and applied gain in dB over time,
    axes in seconds and dB, and the track's name.
*/
juce::Image drawGainPlot (const juce::StringArray& trackNames, const std::vector<GainPlotTrace>& traces);

/** Draws the plot and writes it as a PNG file. */
juce::Result writeGainPlot (const juce::File& file, const juce::StringArray& trackNames,
                            const std::vector<GainPlotTrace>& traces);
