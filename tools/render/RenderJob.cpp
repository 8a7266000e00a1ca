#include "RenderJob.h"

#include "AudioTracks.h"
#include "GainCsv.h"
#include "GainFrames.h"
#include "GainPlot.h"
#include "GainTrace.h"
#include "HostedPlugins.h"
#include "ProgressBar.h"
#include "RenderOptions.h"
#include "RoundRobinRenderer.h"
#include "TrackSummary.h"

#include <HestrelBundle.h>
#include <HostedParameters.h>
#include <identity/HestrelIdentity.h>

#include <ostream>

namespace
{
    /** Every file the render will write, checked against the inputs and against what exists. */
    juce::Result checkOutputs (const RenderOptions& options, juce::Array<juce::File>& trackOutputs)
    {
        const auto& directory = options.outputDirectory;

        if (directory.existsAsFile())
            return juce::Result::fail ("cannot write into " + directory.getFullPathName() + ": it is a file, not a directory");

        juce::Array<juce::File> written;

        for (const auto& input : options.inputs)
        {
            const auto output = getOutputFileFor (input, directory);

            if (written.contains (output))
                return juce::Result::fail ("two inputs would both be written to " + output.getFullPathName()
                                           + ": give the tracks different names");

            written.add (output);
            trackOutputs.add (output);
        }

        written.add (directory.getChildFile ("gains.csv"));
        written.add (directory.getChildFile ("gains.png"));

        for (const auto& output : written)
        {
            for (const auto& input : options.inputs)
                if (output == input || (output.exists() && input.exists() && output.getLinkedTarget() == input.getLinkedTarget()))
                    return juce::Result::fail ("refusing to write over the input " + input.getFullPathName()
                                               + ": choose another --out directory");

            if (output.exists() && ! options.force)
                return juce::Result::fail (output.getFullPathName() + " already exists (use --force to replace it)");

            if (output.isDirectory())
                return juce::Result::fail ("cannot write " + output.getFullPathName() + ": a directory is in the way");
        }

        return juce::Result::ok();
    }
}

int runRenderJob (const juce::StringArray& arguments, const juce::File& workingDirectory,
                  std::ostream& out, std::ostream& err)
{
    auto fail = [&err] (const juce::String& message, int code = 1)
    {
        err << "hestrel-render: error: " << message << std::endl;
        return code;
    };

    const auto parsed = parseRenderCommandLine (arguments, workingDirectory);

    if (parsed.failed())
        return fail (parsed.error, 2);

    const auto& options = parsed.options;

    if (options.showHelp)
    {
        out << getRenderUsage();
        return 0;
    }

    juce::Array<juce::File> outputFiles;

    if (const auto checked = checkOutputs (options, outputFiles); checked.failed())
        return fail (checked.getErrorMessage());

    juce::OwnedArray<AudioTrack> tracks;

    if (const auto read = AudioTrackReader().readSession (options.inputs, tracks); read.failed())
        return fail (read.getErrorMessage());

    const auto sampleRate = tracks.getFirst()->sampleRate;

    if (tracks.size() > registrySlotCount)
        err << "hestrel-render: warning: Hestrel instances share " << registrySlotCount << " slots; tracks "
            << registrySlotCount + 1 << " and up (" << tracks.size() - registrySlotCount
            << " of them) pass unchanged, as they would in a host" << std::endl;

    const auto bundle = options.plugin != juce::File() ? options.plugin : HestrelHost::findDefaultBundle();
    HostedPlugins plugins;

    if (const auto loaded = plugins.load (bundle, tracks.size(), sampleRate, options.blockSize); loaded.failed())
        return fail (loaded.getErrorMessage());

    if (const auto applied = plugins.applySettings (options.settings); applied.failed())
        return fail (applied.getErrorMessage());

    juce::Array<int> channels;

    for (auto* track : tracks)
        channels.add (track->audio.getNumChannels());

    if (const auto prepared = plugins.prepare (channels, sampleRate, options.blockSize, HestrelHost::Processing::offline);
        prepared.failed())
        return fail (prepared.getErrorMessage());

    // Render into memory first: nothing is written until every track has come through.
    juce::OwnedArray<juce::AudioBuffer<float>> rendered;
    juce::Array<juce::AudioProcessor*> instances;
    juce::Array<const juce::AudioBuffer<float>*> inputs;
    juce::Array<juce::AudioBuffer<float>*> outputs;

    for (int t = 0; t < tracks.size(); ++t)
    {
        const auto& audio = tracks.getUnchecked (t)->audio;
        rendered.add (new juce::AudioBuffer<float> (audio.getNumChannels(), audio.getNumSamples()));
        instances.add (&plugins[t]);
        inputs.add (&audio);
        outputs.add (rendered.getLast());
    }

    {
        ProgressBar progressBar;
        RoundRobinRenderer::render (instances, inputs, outputs, options.blockSize,
                                    [&progressBar] (double done) { progressBar.update (done); });
    }

    juce::Array<float> noiseFloors;

    for (int t = 0; t < tracks.size(); ++t)
        noiseFloors.add (HestrelHost::getParameterText (plugins[t], ParameterIDs::threshold).getFloatValue());

    plugins.unload();

    juce::StringArray names;
    std::vector<GainFrames> frames;

    for (int t = 0; t < tracks.size(); ++t)
    {
        const auto& track = *tracks.getUnchecked (t);
        names.add (track.getName());
        frames.push_back (makeGainFrames (track.audio, measureAppliedGain (track.audio, *rendered.getUnchecked (t)), sampleRate));
    }

    if (! options.outputDirectory.isDirectory())
        if (const auto created = options.outputDirectory.createDirectory(); created.failed())
            return fail ("cannot create " + options.outputDirectory.getFullPathName() + ": " + created.getErrorMessage());

    for (int t = 0; t < tracks.size(); ++t)
    {
        // Every output has the session's length, so the cleaned tracks line up as the inputs did.
        const auto& track = *tracks.getUnchecked (t);

        if (const auto written = writeWavFile (outputFiles[t], *rendered.getUnchecked (t), sampleRate, track.bitsPerSample);
            written.failed())
            return fail (written.getErrorMessage());
    }

    if (const auto written = writeGainCsv (options.outputDirectory.getChildFile ("gains.csv"), names, frames); written.failed())
        return fail (written.getErrorMessage());

    if (const auto written = writeGainPlot (options.outputDirectory.getChildFile ("gains.png"), names, frames); written.failed())
        return fail (written.getErrorMessage());

    for (int t = 0; t < tracks.size(); ++t)
        out << formatTrackSummary (names[t], summariseTrack (frames[(size_t) t], noiseFloors[t]), noiseFloors[t]) << "\n";

    out << "wrote " << tracks.size() << " track" << (tracks.size() == 1 ? "" : "s") << ", gains.csv and gains.png to "
        << options.outputDirectory.getFullPathName() << std::endl;
    return 0;
}
