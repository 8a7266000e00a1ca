#pragma once

#include "GainCsv.h"
#include "GainPlot.h"
#include "RenderPlan.h"
#include "StagedFiles.h"
#include "TrackSummary.h"

#include <juce_audio_processors/juce_audio_processors.h>

/**
    Streams a session through the hosted instances: reads a block of every track, renders the
    round, measures the gain each track got and writes the cleaned blocks, the mix and the rows
    of gains.csv to the staged files; at the end draws gains.png and checks every file. Memory
    stays the same whatever the session's length.
*/
class SessionRender
{
public:
    using ProgressCallback = std::function<void (double fractionDone)>;

    SessionRender (SessionInputs& inputs, const RenderPlan& plan, int blockSize);

    /** Renders the whole session into temporary files staged beside the plan's targets.
        instances and noiseFloors (dB) hold one entry per track. Stops at the first error, or
        when stopRequested() says so.
    */
    juce::Result run (StagedFiles& staged, const juce::Array<juce::AudioProcessor*>& instances,
                      const juce::Array<float>& noiseFloors, const ProgressCallback& progress,
                      const std::function<juce::String()>& stopRequested);

    const std::vector<TrackSummary>& getSummaries() const noexcept    { return summaries; }

    /** The mix's highest sample magnitude (linear). */
    float getMixPeak() const noexcept    { return mixPeak; }

private:
    SessionInputs& inputs;
    const RenderPlan& plan;
    int blockSize;

    std::vector<TrackSummary> summaries;
    std::vector<GainPlotTrace> plotTraces;
    float mixPeak = 0.0f;

    void addToMix (juce::AudioBuffer<float>& mix, const juce::OwnedArray<juce::AudioBuffer<float>>& cleaned, int numSamples);
};
