#include "RenderOptions.h"

#include <HostedParameters.h>
#include <identity/HestrelIdentity.h>

namespace
{
    bool parseWholeNumber (const juce::String& text, int& result)
    {
        const auto trimmed = text.trim();

        if (trimmed.isEmpty() || ! trimmed.containsOnly ("0123456789") || trimmed.length() > 9)
            return false;

        result = trimmed.getIntValue();
        return true;
    }

    /** Splits "ID=VALUE"; false when there is no '=' or no ID. */
    bool splitAssignment (const juce::String& text, juce::String& id, juce::String& value)
    {
        const auto equals = text.indexOfChar ('=');

        if (equals <= 0)
            return false;

        id = text.substring (0, equals).trim();
        value = text.substring (equals + 1).trim();
        return id.isNotEmpty();
    }
}

ParsedCommandLine parseRenderCommandLine (const juce::StringArray& arguments, const juce::File& workingDirectory)
{
    ParsedCommandLine parsed;
    auto& options = parsed.options;
    options.outputDirectory = workingDirectory.getChildFile ("hestrel-out");

    auto fail = [&parsed] (const juce::String& message)
    {
        parsed.error = message;
        return parsed;
    };

    for (int i = 0; i < arguments.size(); ++i)
    {
        const auto& argument = arguments[i];

        auto nextValue = [&] (juce::String& value)
        {
            if (i + 1 >= arguments.size())
                return false;

            value = arguments[++i];
            return true;
        };

        juce::String value;

        if (argument == "--help" || argument == "-h")
        {
            options.showHelp = true;
        }
        else if (argument == "--force")
        {
            options.force = true;
        }
        else if (argument == "--split")
        {
            options.split = true;
        }
        else if (argument == "--split-outputs")
        {
            options.split = true;
            options.splitOutputs = true;
        }
        else if (argument == "--plugin" || argument == "--out" || argument == "--block" || argument == "--mix"
                 || argument == "--set" || argument == "--set-track")
        {
            if (! nextValue (value) || value.isEmpty())
                return fail (argument + " needs a value");

            if (argument == "--plugin")
            {
                options.plugin = workingDirectory.getChildFile (value);
            }
            else if (argument == "--mix")
            {
                options.mix = workingDirectory.getChildFile (value);
            }
            else if (argument == "--out")
            {
                options.outputDirectory = workingDirectory.getChildFile (value);
            }
            else if (argument == "--block")
            {
                if (! parseWholeNumber (value, options.blockSize) || options.blockSize < 1 || options.blockSize > 65536)
                    return fail ("--block must be a whole number of samples from 1 to 65536, not \"" + value + "\"");
            }
            else if (argument == "--set")
            {
                ParameterSetting setting;

                if (! splitAssignment (value, setting.parameterID, setting.valueText))
                    return fail ("--set needs ID=VALUE, not \"" + value + "\"");

                options.settings.add (setting);
            }
            else
            {
                ParameterSetting setting;
                const auto colon = value.indexOfChar (':');
                int trackNumber = 0;

                if (colon <= 0 || ! parseWholeNumber (value.substring (0, colon), trackNumber)
                    || ! splitAssignment (value.substring (colon + 1), setting.parameterID, setting.valueText))
                    return fail ("--set-track needs N:ID=VALUE with a track number N, not \"" + value + "\"");

                if (trackNumber < 1)
                    return fail ("track numbers start at 1: \"" + value + "\"");

                setting.track = trackNumber - 1;
                options.settings.add (setting);
            }
        }
        else if (argument.startsWith ("-") && argument.length() > 1)
        {
            return fail ("unknown option " + argument + " (see --help)");
        }
        else
        {
            options.inputs.add (workingDirectory.getChildFile (argument));
        }
    }

    if (options.showHelp)
        return parsed;

    if (options.inputs.isEmpty())
        return fail ("no input tracks given (see --help)");

    // With --split a file may hold many tracks; their count is known once the files are open.
    for (const auto& setting : options.settings)
        if (! options.split && setting.track >= options.inputs.size())
            return fail ("track " + juce::String (setting.track + 1) + " is out of range: there "
                         + (options.inputs.size() == 1 ? "is 1 input track" : "are " + juce::String (options.inputs.size()) + " input tracks"));

    return parsed;
}

juce::String getRenderUsage()
{
    return "usage: hestrel-render [--plugin PATH.vst3] [--out DIR] [--set ID=VALUE]... [--set-track N:ID=VALUE]...\n"
           "                      [--block N] [--split | --split-outputs] [--mix FILE.wav] [--force] IN1.wav IN2.wav ...\n"
           "\n"
           "Cleans a multitrack recording through Hestrel: one instance per track, all in one process,\n"
           "block k of every track before block k+1 of any.\n"
           "\n"
           "  --plugin PATH   the Hestrel.vst3 bundle (default: ~/.vst3/Hestrel.vst3, then the build tree's)\n"
           "  --out DIR       where the outputs go (default: ./hestrel-out)\n"
           "  --set ID=VALUE  set a parameter on every track, VALUE as typed into the knob's box (e.g. "
           + juce::String (ParameterIDs::threshold) + "=-45)\n"
           "  --set-track N:ID=VALUE   the same for track N only (tracks count from 1)\n"
           "  --block N       block size in samples (default 512)\n"
           "  --split         take every channel of a multichannel (recorder) file as its own track;\n"
           "                  the cleaned channels go back into one <file>-hestrel.wav per input\n"
           "  --split-outputs the same, but write one mono <file>-ch<k>-hestrel.wav per channel\n"
           "  --mix FILE      also write the sum of the cleaned tracks (32-bit float; stereo if any track is)\n"
           "  --force         replace outputs of an earlier run\n"
           "\n"
           "Parameter IDs: " + HestrelHost::listParameterIDs() + ".\n"
           "Writes <input name>-hestrel.wav per input, gains.csv and gains.png; nothing is replaced unless\n"
           "the whole render succeeds.\n";
}
