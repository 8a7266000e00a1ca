#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/**
    Runs every track through its own instance the way a single-threaded host does: block k of
    every track before block k+1 of any, so each instance sees the others' levels as a DAW would
    let it. It is fed one round (one block of every track) at a time.
*/
class RoundRobinRenderer
{
public:
    /** The instances must be prepared for the block size and for the tracks' channel counts. */
    RoundRobinRenderer (const juce::Array<juce::AudioProcessor*>& instances, const juce::Array<int>& channelsPerTrack, int blockSize);

    /** Processes one round: every track's input block (its channels, numSamples <= blockSize)
        goes through its instance, in track order, and the result lands in that track's output
        block. The inputs are only read.
    */
    void processRound (const juce::Array<juce::AudioBuffer<float>*>& inputs,
                       const juce::Array<juce::AudioBuffer<float>*>& outputs, int numSamples);

private:
    juce::Array<juce::AudioProcessor*> instances;

    /** One working buffer per track, sized once; a plug-in may want more channels than the file. */
    juce::OwnedArray<juce::AudioBuffer<float>> workBuffers;
    juce::MidiBuffer midi;
};
