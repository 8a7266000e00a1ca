#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <functional>
#include <vector>

/** A track's input level and applied gain at a fixed frame rate, for gains.csv, gains.png and
    the summary line.
*/
struct GainFrames
{
    /** Seconds per frame. */
    double frameSeconds = 0.01;

    /** Input RMS level of each frame (linear, all channels). */
    std::vector<float> level;

    /** Mean applied gain of each frame (linear). */
    std::vector<float> gain;

    size_t size() const noexcept    { return level.size(); }
};

/**
    Cuts a track and its per-sample gain into frames of a fixed length as the blocks come,
    handing each finished frame on: (input RMS level, mean gain), both linear.
*/
class GainFrameBuilder
{
public:
    using FrameCallback = std::function<void (float level, float gain)>;

    GainFrameBuilder (double sampleRate, double frameSeconds, FrameCallback onFrame);

    /** Adds the first numSamples of a block and its gains. */
    void add (const juce::AudioBuffer<float>& input, const float* gains, int numSamples);

    /** Hands on the last, shorter frame, if one is open. */
    void finish();

    /** Samples per frame at this sample rate and frame duration (at least one). */
    static int frameLengthFor (double sampleRate, double frameSeconds) noexcept;

private:
    FrameCallback onFrame;
    int frameLength;
    int channels = 1;
    int count = 0;
    double sumOfSquares = 0.0, sumOfGains = 0.0;
};

/** Cuts a whole track and its per-sample gain into frames of frameSeconds (the last may be short). */
GainFrames makeGainFrames (const juce::AudioBuffer<float>& input, const std::vector<float>& gain,
                           double sampleRate, double frameSeconds = 0.01);

/** Decibels of a linear amplitude, never below floorDb. */
float amplitudeToDecibels (float amplitude, float floorDb = -120.0f) noexcept;
