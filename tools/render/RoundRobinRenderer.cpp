#include "RoundRobinRenderer.h"

void RoundRobinRenderer::render (const juce::Array<juce::AudioProcessor*>& instances,
                                 const juce::Array<const juce::AudioBuffer<float>*>& inputs,
                                 const juce::Array<juce::AudioBuffer<float>*>& outputs,
                                 int blockSize,
                                 const ProgressCallback& progress)
{
    jassert (instances.size() == inputs.size() && inputs.size() == outputs.size() && blockSize > 0);

    const auto numTracks = inputs.size();
    int length = 0;

    for (auto* input : inputs)
        length = juce::jmax (length, input->getNumSamples());

    // One working buffer per track, sized once; a plug-in may want more channels than the file.
    juce::OwnedArray<juce::AudioBuffer<float>> blocks;

    for (int t = 0; t < numTracks; ++t)
    {
        auto* instance = instances.getUnchecked (t);
        const auto channels = juce::jmax (inputs.getUnchecked (t)->getNumChannels(),
                                          instance->getTotalNumInputChannels(),
                                          instance->getTotalNumOutputChannels());
        blocks.add (new juce::AudioBuffer<float> (channels, blockSize));
    }

    juce::MidiBuffer midi;
    // Report progress about a hundred times, whatever the length.
    const auto roundsPerReport = juce::jmax (1, length / blockSize / 100);
    int round = 0;

    for (int start = 0; start < length; start += blockSize, ++round)
    {
        const auto numSamples = juce::jmin (blockSize, length - start);

        for (int t = 0; t < numTracks; ++t)
        {
            const auto& input = *inputs.getUnchecked (t);
            auto& output = *outputs.getUnchecked (t);
            auto& block = *blocks.getUnchecked (t);

            block.setSize (block.getNumChannels(), numSamples, false, false, true);
            block.clear();

            for (int ch = 0; ch < input.getNumChannels(); ++ch)
                if (start < input.getNumSamples())
                    block.copyFrom (ch, 0, input, ch, start, juce::jmin (numSamples, input.getNumSamples() - start));

            midi.clear();
            instances.getUnchecked (t)->processBlock (block, midi);

            for (int ch = 0; ch < output.getNumChannels(); ++ch)
                if (start < output.getNumSamples())
                    output.copyFrom (ch, start, block, ch, 0, juce::jmin (numSamples, output.getNumSamples() - start));
        }

        if (progress != nullptr && round % roundsPerReport == 0)
            progress ((double) (start + numSamples) / (double) length);
    }

    if (progress != nullptr)
        progress (1.0);
}
