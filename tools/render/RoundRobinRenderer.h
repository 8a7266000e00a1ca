#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/**
    Runs every track through its own instance the way a single-threaded host does: block k of
    every track before block k+1 of any, so each instance sees the others' levels as a DAW would
    let it.
*/
class RoundRobinRenderer
{
public:
    /** Called after every round with the fraction of the session done (0 to 1). */
    using ProgressCallback = std::function<void (double)>;

    /** Renders the tracks into the outputs (same sizes as the inputs). The instances must be
        prepared for the block size and for the tracks' channel counts.
    */
    static void render (const juce::Array<juce::AudioProcessor*>& instances,
                        const juce::Array<const juce::AudioBuffer<float>*>& inputs,
                        const juce::Array<juce::AudioBuffer<float>*>& outputs,
                        int blockSize,
                        const ProgressCallback& progress = {});
};
