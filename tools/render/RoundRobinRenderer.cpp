#include "RoundRobinRenderer.h"

RoundRobinRenderer::RoundRobinRenderer (const juce::Array<juce::AudioProcessor*>& instancesToUse,
                                        const juce::Array<int>& channelsPerTrack, int blockSize)
    : instances (instancesToUse)
{
    jassert (instances.size() == channelsPerTrack.size() && blockSize > 0);

    for (int t = 0; t < instances.size(); ++t)
    {
        auto* instance = instances.getUnchecked (t);
        const auto channels = juce::jmax (channelsPerTrack[t], instance->getTotalNumInputChannels(),
                                          instance->getTotalNumOutputChannels());
        workBuffers.add (new juce::AudioBuffer<float> (channels, blockSize));
    }
}

void RoundRobinRenderer::processRound (const juce::Array<juce::AudioBuffer<float>*>& trackBlocks, int numSamples)
{
    jassert (trackBlocks.size() == instances.size());

    for (int t = 0; t < instances.size(); ++t)
    {
        auto& track = *trackBlocks.getUnchecked (t);
        auto& work = *workBuffers.getUnchecked (t);

        work.setSize (work.getNumChannels(), numSamples, false, false, true);
        work.clear();

        for (int ch = 0; ch < track.getNumChannels(); ++ch)
            work.copyFrom (ch, 0, track, ch, 0, numSamples);

        midi.clear();
        instances.getUnchecked (t)->processBlock (work, midi);

        for (int ch = 0; ch < track.getNumChannels(); ++ch)
            track.copyFrom (ch, 0, work, ch, 0, numSamples);
    }
}
