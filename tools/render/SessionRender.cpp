#include "SessionRender.h"

#include "GainTrace.h"
#include "RoundRobinRenderer.h"

#include <deque>

namespace
{
    constexpr double frameSeconds = 0.01;

    juce::Array<juce::AudioBuffer<float>*> pointersTo (const juce::OwnedArray<juce::AudioBuffer<float>>& buffers)
    {
        juce::Array<juce::AudioBuffer<float>*> pointers;

        for (auto* buffer : buffers)
            pointers.add (buffer);

        return pointers;
    }

    /** A failed result, even when the stream that failed only says so when it is finished. */
    juce::Result failureOf (juce::Result finished, const juce::File& file)
    {
        return finished.failed() ? finished : juce::Result::fail ("cannot write " + file.getFullPathName());
    }
}

SessionRender::SessionRender (SessionInputs& inputsToRead, const RenderPlan& planToWrite, int samplesPerBlock)
    : inputs (inputsToRead), plan (planToWrite), blockSize (samplesPerBlock)
{
}

void SessionRender::addToMix (juce::AudioBuffer<float>& mix, const juce::OwnedArray<juce::AudioBuffer<float>>& cleaned, int numSamples)
{
    // A mono track sits in the middle of a stereo mix, 3 dB down in each channel.
    const auto monoInStereo = juce::Decibels::decibelsToGain (-3.0f);
    mix.clear();

    for (auto* track : cleaned)
    {
        if (mix.getNumChannels() == 1 || track->getNumChannels() == 2)
        {
            for (int ch = 0; ch < mix.getNumChannels(); ++ch)
                mix.addFrom (ch, 0, *track, juce::jmin (ch, track->getNumChannels() - 1), 0, numSamples);
        }
        else
        {
            for (int ch = 0; ch < mix.getNumChannels(); ++ch)
                mix.addFrom (ch, 0, *track, 0, 0, numSamples, monoInStereo);
        }
    }

    for (int ch = 0; ch < mix.getNumChannels(); ++ch)
        mixPeak = juce::jmax (mixPeak, mix.getMagnitude (ch, 0, numSamples));
}

juce::Result SessionRender::run (StagedFiles& staged, const juce::Array<juce::AudioProcessor*>& instances,
                                 const juce::Array<float>& noiseFloors, const ProgressCallback& progress,
                                 const std::function<juce::String()>& stopRequested)
{
    const auto& tracks = inputs.getTracks();
    const auto numTracks = (int) tracks.size();
    const auto sampleRate = inputs.getSampleRate();
    const auto length = inputs.getLength();

    // Open every output on its temporary file.
    juce::OwnedArray<WavOutput> outputs;

    for (const auto& planned : plan.outputs)
        if (const auto opened = outputs.add (new WavOutput())->open (staged.stage (planned.target), planned.numChannels,
                                                                      sampleRate, planned.format, planned.metadata);
            opened.failed())
            return opened;

    WavOutput mixOutput;
    juce::AudioBuffer<float> mixBlock (plan.mixChannels, blockSize);
    const auto withMix = plan.mix != juce::File();

    if (withMix)
        if (const auto opened = mixOutput.open (staged.stage (plan.mix), plan.mixChannels, sampleRate, { 32, true }, plan.mixMetadata);
            opened.failed())
            return opened;

    juce::StringArray names;
    juce::Array<int> channels;

    for (const auto& track : tracks)
    {
        names.add (track.name);
        channels.add (track.numChannels);
    }

    GainCsvWriter csv;

    if (const auto opened = csv.open (staged.stage (plan.gainsCsv), names, frameSeconds); opened.failed())
        return opened;

    const auto pngFile = staged.stage (plan.gainsPlot);

    // Per track: what was read, what came out, and the chain that turns them into frames.
    juce::OwnedArray<juce::AudioBuffer<float>> inputBlocks, cleanedBlocks;
    std::vector<AppliedGainMeter> meters ((size_t) numTracks);
    std::vector<std::deque<std::pair<float, float>>> pendingFrames ((size_t) numTracks);
    std::vector<std::unique_ptr<GainFrameBuilder>> frameBuilders;
    std::vector<float> gains ((size_t) blockSize);
    const auto frameLength = GainFrameBuilder::frameLengthFor (sampleRate, frameSeconds);
    const auto totalFrames = (length + frameLength - 1) / frameLength;

    summaries.clear();
    plotTraces.clear();

    for (int t = 0; t < numTracks; ++t)
    {
        inputBlocks.add (new juce::AudioBuffer<float> (channels[t], blockSize));
        cleanedBlocks.add (new juce::AudioBuffer<float> (channels[t], blockSize));
        summaries.emplace_back (noiseFloors[t]);
        plotTraces.emplace_back (totalFrames, frameSeconds);
        frameBuilders.push_back (std::make_unique<GainFrameBuilder> (sampleRate, frameSeconds, [this, t, &pendingFrames] (float level, float gain)
        {
            summaries[(size_t) t].add (level, gain);
            plotTraces[(size_t) t].add (level, gain);
            pendingFrames[(size_t) t].emplace_back (level, gain);
        }));
    }

    // Frames end at the same sample on every track, so rows go out as soon as they are complete.
    std::vector<float> rowLevels ((size_t) numTracks), rowGains ((size_t) numTracks);

    auto writeCompleteRows = [&]
    {
        while (! pendingFrames.empty() && ! pendingFrames.front().empty())
        {
            for (size_t t = 0; t < pendingFrames.size(); ++t)
            {
                rowLevels[t] = pendingFrames[t].front().first;
                rowGains[t] = pendingFrames[t].front().second;
                pendingFrames[t].pop_front();
            }

            if (! csv.addRow (rowLevels.data(), rowGains.data()))
                return false;
        }

        return true;
    };

    RoundRobinRenderer renderer (instances, channels, blockSize);
    const auto inputPointers = pointersTo (inputBlocks);
    const auto cleanedPointers = pointersTo (cleanedBlocks);
    juce::AudioBuffer<float> outputBlock;

    for (juce::int64 start = 0; start < length; start += blockSize)
    {
        if (const auto reason = stopRequested(); reason.isNotEmpty())
            return juce::Result::fail (reason);

        const auto numSamples = (int) juce::jmin ((juce::int64) blockSize, length - start);

        for (int t = 0; t < numTracks; ++t)
        {
            inputBlocks.getUnchecked (t)->setSize (channels[t], numSamples, false, false, true);
            cleanedBlocks.getUnchecked (t)->setSize (channels[t], numSamples, false, false, true);
        }

        if (const auto read = inputs.readBlock (start, numSamples, inputPointers); read.failed())
            return read;

        renderer.processRound (inputPointers, cleanedPointers, numSamples);

        for (int t = 0; t < numTracks; ++t)
        {
            const auto& input = *inputBlocks.getUnchecked (t);
            meters[(size_t) t].measure (input, *cleanedBlocks.getUnchecked (t), numSamples, gains.data());
            frameBuilders[(size_t) t]->add (input, gains.data(), numSamples);
        }

        if (! writeCompleteRows())
            return failureOf (csv.finish(), plan.gainsCsv);

        for (size_t o = 0; o < plan.outputs.size(); ++o)
        {
            const auto& planned = plan.outputs[o];
            outputBlock.setSize (planned.numChannels, numSamples, false, false, true);
            int channel = 0;

            for (auto t : planned.tracks)
                for (int ch = 0; ch < channels[t]; ++ch)
                    outputBlock.copyFrom (channel++, 0, *cleanedBlocks.getUnchecked (t), ch, 0, numSamples);

            if (! outputs.getUnchecked ((int) o)->write (outputBlock, numSamples))
                return failureOf (outputs.getUnchecked ((int) o)->finish(), planned.target);
        }

        if (withMix)
        {
            mixBlock.setSize (plan.mixChannels, numSamples, false, false, true);
            addToMix (mixBlock, cleanedBlocks, numSamples);

            if (! mixOutput.write (mixBlock, numSamples))
                return failureOf (mixOutput.finish(), plan.mix);
        }

        if (progress != nullptr)
            progress ((double) (start + numSamples) / (double) length);
    }

    for (auto& builder : frameBuilders)
        builder->finish();

    if (! writeCompleteRows())
        return failureOf (csv.finish(), plan.gainsCsv);

    for (auto* output : outputs)
        if (const auto finished = output->finish(); finished.failed())
            return finished;

    if (withMix)
        if (const auto finished = mixOutput.finish(); finished.failed())
            return finished;

    if (const auto finished = csv.finish(); finished.failed())
        return finished;

    return writeGainPlot (pngFile, names, plotTraces);
}
