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

void RoundRobinRenderer::processRound (const juce::Array<juce::AudioBuffer<float>*>& inputs,
                                       const juce::Array<juce::AudioBuffer<float>*>& outputs, int numSamples)
{
    jassert (inputs.size() == instances.size() && outputs.size() == instances.size());

    for (int t = 0; t < instances.size(); ++t)
    {
        const auto& input = *inputs.getUnchecked (t);
        auto& output = *outputs.getUnchecked (t);
        auto& work = *workBuffers.getUnchecked (t);

        work.setSize (work.getNumChannels(), numSamples, false, false, true);
        work.clear();

        for (int ch = 0; ch < input.getNumChannels(); ++ch)
            work.copyFrom (ch, 0, input, ch, 0, numSamples);

        midi.clear();
        instances.getUnchecked (t)->processBlock (work, midi);

        for (int ch = 0; ch < output.getNumChannels(); ++ch)
            output.copyFrom (ch, 0, work, ch, 0, numSamples);
    }
}
