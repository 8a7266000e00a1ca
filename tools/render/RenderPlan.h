#pragma once

#include "SessionInputs.h"
#include "WavOutput.h"

/** One cleaned file to write: some tracks' channels, in order, in the input's format. */
struct PlannedOutput
{
    juce::File target;

    /** The tracks whose channels it holds, one after another. */
    std::vector<int> tracks;

    int numChannels = 1;
    WavSampleFormat format;
    juce::StringPairArray metadata;
};

/** Every file a render writes. */
struct RenderPlan
{
    std::vector<PlannedOutput> outputs;
    juce::File gainsCsv, gainsPlot;

    /** The mix (none when empty), mono when every track is mono, else stereo. */
    juce::File mix;
    int mixChannels = 1;
    juce::StringPairArray mixMetadata;

    /** Every target, the outputs first, then the mix, gains.csv and gains.png. */
    juce::Array<juce::File> getAllTargets() const;
};

/** The cleaned files for these inputs: <name>-hestrel.wav per input, or with splitOutputs
    <name>-ch<k>-hestrel.wav per split channel; each keeps its input's format and WAV metadata.
*/
RenderPlan planRender (const SessionInputs& inputs, const juce::File& outputDirectory, bool splitOutputs, const juce::File& mix);
