#include "RenderPlan.h"

juce::Array<juce::File> RenderPlan::getAllTargets() const
{
    juce::Array<juce::File> targets;

    for (const auto& output : outputs)
        targets.add (output.target);

    if (mix != juce::File())
        targets.add (mix);

    targets.add (gainsCsv);
    targets.add (gainsPlot);
    return targets;
}

RenderPlan planRender (const SessionInputs& inputs, const juce::File& outputDirectory, bool splitOutputs, const juce::File& mix)
{
    RenderPlan plan;
    const auto& tracks = inputs.getTracks();

    for (int i = 0; i < inputs.getFiles().size(); ++i)
    {
        const auto& input = *inputs.getFiles().getUnchecked (i);
        const auto format = WavSampleFormat::closestTo (input.bitsPerSample, input.isFloatingPoint);
        const auto name = input.file.getFileNameWithoutExtension();
        PlannedOutput whole { outputDirectory.getChildFile (name + "-hestrel.wav"), {}, input.numChannels, format, input.wavMetadata };

        for (int t = 0; t < (int) tracks.size(); ++t)
        {
            if (tracks[(size_t) t].input != i)
                continue;

            const auto isSplitChannel = tracks[(size_t) t].numChannels < input.numChannels;

            if (splitOutputs && isSplitChannel)
                plan.outputs.push_back ({ outputDirectory.getChildFile (tracks[(size_t) t].name + "-hestrel.wav"), { t }, 1, format, input.wavMetadata });
            else
                whole.tracks.push_back (t);
        }

        if (! whole.tracks.empty())
            plan.outputs.push_back (whole);
    }

    plan.gainsCsv = outputDirectory.getChildFile ("gains.csv");
    plan.gainsPlot = outputDirectory.getChildFile ("gains.png");
    plan.mix = mix;
    plan.mixChannels = 1;

    for (const auto& track : tracks)
        if (track.numChannels > 1)
            plan.mixChannels = 2;

    if (! inputs.getFiles().isEmpty())
        plan.mixMetadata = inputs.getFiles().getFirst()->wavMetadata;

    return plan;
}
