#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

#include <map>

/** Paths the tests get from CTest: the built hestrel-render and the built Hestrel.vst3. */
struct RenderTestPaths
{
    static juce::File tool;
    static juce::File plugin;
};

/** A fresh directory under the system's temporary folder, deleted with everything in it. */
class TemporaryDirectory
{
public:
    TemporaryDirectory();
    ~TemporaryDirectory();

    const juce::File& get() const noexcept    { return directory; }
    juce::File operator/ (const juce::String& name) const    { return directory.getChildFile (name); }

    /** Every file below the directory with an MD5 of its content: equal snapshots mean nothing
        was written, replaced or removed.
    */
    std::map<juce::String, juce::String> snapshot() const;

private:
    juce::File directory;
};

/** A 64-bit FNV-1a digest of a file's bytes, to tell whether it changed. */
juce::String fileDigest (const juce::File& file);

/** What a run of hestrel-render left: its exit code and what it printed. */
struct ToolRun
{
    int exitCode = -1;
    juce::String out, err;
};

/** Runs hestrel-render with these arguments (in the given working directory). */
ToolRun runRenderTool (const juce::StringArray& arguments, const juce::File& workingDirectory);

/** The same with --plugin set to the built bundle, placed first. */
ToolRun runRenderToolWithPlugin (const juce::StringArray& arguments, const juce::File& workingDirectory);

/** Writes a buffer to a file in the format its extension names (wav, aiff, flac). */
void writeAudioFile (const juce::File& file, const juce::AudioBuffer<float>& audio, double sampleRate, int bitsPerSample);

/** Reads a whole file; the reader's details through the pointers when given. */
juce::AudioBuffer<float> readAudioFile (const juce::File& file, double* sampleRate = nullptr, int* bitsPerSample = nullptr);

/** A deterministic test signal: speech-like bursts of noise at a level, on every channel. */
juce::AudioBuffer<float> makeNoiseBursts (int channels, int length, float level, int seed);

/** A constant (DC) signal on every channel. */
juce::AudioBuffer<float> makeConstant (int channels, int length, float value);
