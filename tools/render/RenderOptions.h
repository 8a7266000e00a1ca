#pragma once

#include <juce_core/juce_core.h>

/** One parameter setting from the command line: ID=VALUE, for every track or for one. */
struct ParameterSetting
{
    /** The track it applies to (0-based), or -1 for every track. */
    int track = -1;

    /** The plug-in's parameter ID, e.g. "threshold". */
    juce::String parameterID;

    /** The value as the user typed it, e.g. "-45 dB"; the parameter converts it. */
    juce::String valueText;
};

/** What hestrel-render was asked to do. */
struct RenderOptions
{
    /** The Hestrel.vst3 bundle; empty means: look in ~/.vst3, then in the build tree. */
    juce::File plugin;

    /** Where the cleaned tracks, gains.csv and gains.png go. */
    juce::File outputDirectory;

    /** The settings in the order given; a per-track setting given later wins over a global one. */
    juce::Array<ParameterSetting> settings;

    /** Samples per block handed to every instance. */
    int blockSize = 512;

    /** Replace outputs left by an earlier run. */
    bool force = false;

    /** Take every channel of a multichannel input as a track of its own. */
    bool split = false;

    /** With split: write each cleaned channel as its own mono file, not one file per input. */
    bool splitOutputs = false;

    /** Where to write the sum of the cleaned tracks; empty for no mix. */
    juce::File mix;

    /** The input tracks, in the order given. */
    juce::Array<juce::File> inputs;

    /** Print the usage text and do nothing else. */
    bool showHelp = false;
};

/** The result of reading the command line: the options, or one line saying what is wrong. */
struct ParsedCommandLine
{
    RenderOptions options;
    juce::String error;

    bool failed() const noexcept    { return error.isNotEmpty(); }
};

/** Reads hestrel-render's arguments (without the program name). Relative paths are resolved
    against the given working directory. Checks the syntax only: whether files exist, IDs are
    known and values convert is checked against the files and the loaded plug-in.
*/
ParsedCommandLine parseRenderCommandLine (const juce::StringArray& arguments, const juce::File& workingDirectory);

/** The usage text, for --help and for a command line without inputs. */
juce::String getRenderUsage();
