#include "RenderJob.h"

#include "GainFrames.h"
#include "HostedPlugins.h"
#include "InterruptGuard.h"
#include "ProgressBar.h"
#include "RenderOptions.h"
#include "RenderPlan.h"
#include "SessionInputs.h"
#include "SessionRender.h"
#include "StagedFiles.h"

#include <HestrelBundle.h>
#include <HostedParameters.h>
#include <identity/HestrelIdentity.h>

#include <optional>
#include <ostream>

namespace
{
    /** A failed stage: its one-line message and the exit code it leads to. */
    struct JobError
    {
        juce::String message;
        int exitCode = 1;
    };

    using StageResult = std::optional<JobError>;

    StageResult failed (const juce::Result& result, int exitCode = 1)
    {
        if (result.wasOk())
            return std::nullopt;

        return JobError { result.getErrorMessage(), exitCode };
    }

    bool isSameFile (const juce::File& a, const juce::File& b)
    {
        return a == b || (a.exists() && b.exists() && a.getLinkedTarget() == b.getLinkedTarget());
    }

    /** Check: what the command line names, before any file is opened. */
    StageResult checkDestinations (const RenderOptions& options)
    {
        const auto& directory = options.outputDirectory;

        if (directory.existsAsFile())
            return JobError { "cannot write into " + directory.getFullPathName() + ": it is a file, not a directory" };

        if (options.mix == juce::File())
            return std::nullopt;

        const auto mixPath = options.mix.getFullPathName();

        if (! options.mix.getParentDirectory().isDirectory())
            return JobError { "cannot write the mix " + mixPath + ": the directory " + options.mix.getParentDirectory().getFullPathName() + " does not exist" };

        if (options.mix.isDirectory())
            return JobError { "cannot write the mix " + mixPath + ": it is a directory" };

        for (const auto& input : options.inputs)
            if (isSameFile (options.mix, input))
                return JobError { "refusing to write the mix over the input " + input.getFullPathName() };

        return std::nullopt;
    }

    /** Read: every input opened and checked (header only; the audio streams later). */
    StageResult openInputs (const RenderOptions& options, SessionInputs& inputs)
    {
        return failed (inputs.open (options.inputs, options.split));
    }

    /** Check: every file the render will write, against the inputs, each other and what exists. */
    StageResult checkOutputs (const RenderOptions& options, const RenderPlan& plan)
    {
        juce::Array<juce::File> written;

        for (const auto& output : plan.outputs)
        {
            if (written.contains (output.target))
                return JobError { "two inputs would both be written to " + output.target.getFullPathName() + ": give the tracks different names" };

            written.add (output.target);
        }

        if (plan.mix != juce::File() && (plan.mix == plan.gainsCsv || plan.mix == plan.gainsPlot || written.contains (plan.mix)))
            return JobError { "--mix " + plan.mix.getFullPathName() + " is also one of the render's outputs: choose another name" };

        for (const auto& output : plan.getAllTargets())
        {
            for (const auto& input : options.inputs)
                if (isSameFile (output, input))
                    return JobError { "refusing to write over the input " + input.getFullPathName() + ": choose another --out directory" };

            if (output.isDirectory())
                return JobError { "cannot write " + output.getFullPathName() + ": a directory is in the way" };

            if (output.exists() && ! options.force)
                return JobError { output.getFullPathName() + " already exists (use --force to replace it)" };
        }

        return std::nullopt;
    }

    /** Host: one instance per track, set up as asked and prepared; the noise floor each uses. */
    StageResult hostInstances (const RenderOptions& options, const SessionInputs& inputs, HostedPlugins& plugins,
                               juce::Array<float>& noiseFloors, std::ostream& err)
    {
        const auto& tracks = inputs.getTracks();
        const auto numTracks = (int) tracks.size();

        if (numTracks > registrySlotCount)
            err << "hestrel-render: warning: Hestrel instances share " << registrySlotCount << " slots; tracks "
                << registrySlotCount + 1 << " and up (" << numTracks - registrySlotCount
                << " of them) pass unchanged, as they would in a host" << std::endl;

        const auto bundle = options.plugin != juce::File() ? options.plugin : HestrelHost::findDefaultBundle();

        if (auto error = failed (plugins.load (bundle, numTracks, inputs.getSampleRate(), options.blockSize)))
            return error;

        if (auto error = failed (plugins.applySettings (options.settings)))
            return error;

        juce::Array<int> channels;

        for (const auto& track : tracks)
            channels.add (track.numChannels);

        if (auto error = failed (plugins.prepare (channels, inputs.getSampleRate(), options.blockSize, HestrelHost::Processing::offline)))
            return error;

        for (int t = 0; t < numTracks; ++t)
            noiseFloors.add (HestrelHost::getParameterText (plugins[t], ParameterIDs::threshold).getFloatValue());

        return std::nullopt;
    }

    /** Why the run must stop now, or nothing when no stopping signal has arrived. */
    juce::String interruptionMessage()
    {
        const auto signal = InterruptGuard::getSignal();
        return signal != 0 ? "interrupted by " + InterruptGuard::getSignalName (signal) + "; nothing was written" : juce::String();
    }

    /** Render, measure and write: the whole session streamed into temporary files. */
    StageResult renderToStagedFiles (SessionInputs& inputs, HostedPlugins& plugins, const juce::Array<float>& noiseFloors,
                                     StagedFiles& staged, SessionRender& render)
    {
        juce::Array<juce::AudioProcessor*> instances;

        for (int t = 0; t < plugins.size(); ++t)
            instances.add (&plugins[t]);

        ProgressBar progressBar ((double) inputs.getLength() / inputs.getSampleRate());

        const auto rendered = render.run (staged, instances, noiseFloors,
                                          [&progressBar] (double done) { progressBar.update (done); },
                                          interruptionMessage);

        if (rendered.failed())
        {
            const auto signal = InterruptGuard::getSignal();
            return JobError { staged.nameTargetsIn (rendered).getErrorMessage() + (signal != 0 ? "" : "; nothing was replaced"),
                              signal != 0 ? 128 + signal : 1 };
        }

        return std::nullopt;
    }

    /** Write: the temporary files renamed into place, once nothing stands in their way. */
    StageResult moveIntoPlace (const RenderOptions& options, StagedFiles& staged)
    {
        if (const auto message = interruptionMessage(); message.isNotEmpty())
            return JobError { message, 128 + InterruptGuard::getSignal() };

        if (auto error = failed (staged.checkTargetsStillFree (options.force)))
            return error;

        return failed (staged.commit());
    }

    /** Summarise: one line per track, the mix's peak and where everything went. */
    void summarise (const SessionInputs& inputs, const RenderPlan& plan, const SessionRender& render,
                    const RenderOptions& options, std::ostream& out)
    {
        const auto& tracks = inputs.getTracks();

        for (size_t t = 0; t < tracks.size(); ++t)
            out << render.getSummaries()[t].format (tracks[t].name) << "\n";

        if (plan.mix != juce::File())
            out << "mix: peak " << juce::String (amplitudeToDecibels (render.getMixPeak()), 1)
                << " dBFS" << (render.getMixPeak() > 1.0f ? " (above full scale: turn it down before converting to integer)" : "")
                << ", " << (plan.mixChannels == 1 ? "mono" : "stereo") << ", written to " << plan.mix.getFullPathName() << "\n";

        const auto numOutputs = (int) plan.outputs.size();
        out << "wrote " << numOutputs << " cleaned file" << (numOutputs == 1 ? "" : "s") << ", gains.csv and gains.png to "
            << options.outputDirectory.getFullPathName() << std::endl;
    }
}

int runRenderJob (const juce::StringArray& arguments, const juce::File& workingDirectory,
                  std::ostream& out, std::ostream& err)
{
    const auto parsed = parseRenderCommandLine (arguments, workingDirectory);
    const auto& options = parsed.options;

    if (! parsed.failed() && options.showHelp)
    {
        out << getRenderUsage();
        return 0;
    }

    SessionInputs inputs;
    RenderPlan plan;
    HostedPlugins plugins;
    juce::Array<float> noiseFloors;
    const InterruptGuard interruptGuard;
    const auto createdOutputDirectory = ! options.outputDirectory.exists();

    auto run = [&]() -> StageResult
    {
        if (parsed.failed())
            return JobError { parsed.error, 2 };

        if (auto error = checkDestinations (options))
            return error;

        if (auto error = openInputs (options, inputs))
            return error;

        plan = planRender (inputs, options.outputDirectory, options.splitOutputs, options.mix);

        if (auto error = checkOutputs (options, plan))
            return error;

        if (auto error = hostInstances (options, inputs, plugins, noiseFloors, err))
            return error;

        if (const auto created = options.outputDirectory.createDirectory(); created.failed())
            return JobError { "cannot create " + options.outputDirectory.getFullPathName() + ": " + created.getErrorMessage() };

        SessionRender render (inputs, plan, options.blockSize);
        {
            StagedFiles staged;   // removes whatever it still holds when it goes

            if (auto error = renderToStagedFiles (inputs, plugins, noiseFloors, staged, render))
                return error;

            if (auto error = moveIntoPlace (options, staged))
                return error;
        }

        plugins.unload();
        summarise (inputs, plan, render, options, out);
        return std::nullopt;
    };

    const auto error = run();

    if (! error)
        return 0;

    // A directory made for this run goes again, if nothing else went into it.
    if (createdOutputDirectory && options.outputDirectory.isDirectory()
        && options.outputDirectory.getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*") == 0)
        options.outputDirectory.deleteFile();

    err << "hestrel-render: error: " << error->message << std::endl;
    return error->exitCode;
}
