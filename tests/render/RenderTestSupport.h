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

/** The full path of a file in a temporary directory, as a command-line argument. */
inline juce::String path (const TemporaryDirectory& dir, const char* name)    { return (dir / name).getFullPathName(); }

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

/** Runs it with the file-size limit (RLIMIT_FSIZE) set to maxBytes. */
ToolRun runRenderToolWithFileSizeLimit (const juce::StringArray& arguments, const juce::File& workingDirectory, long maxBytes);

/** A run of hestrel-render going on in the background (with --plugin set to the built bundle). */
class BackgroundToolRun
{
public:
    BackgroundToolRun (const juce::StringArray& arguments, const juce::File& workingDirectory);
    ~BackgroundToolRun();

    /** Sends the process a signal. */
    void signal (int signalNumber) const;

    /** Waits until a file whose name starts with a dot appears in the directory (a temporary
        file of the render), at most timeoutMs; false if the process ended first or time ran out.
    */
    bool waitForHiddenFileIn (const juce::File& directory, int timeoutMs) const;

    /** Waits for the end; the exit code is 128 + the signal's number if a signal ended it. */
    ToolRun wait();

private:
    int pid = -1;
    juce::File outFile, errFile;
};

/** Writes a buffer to a file in the format its extension names (wav, aiff, flac), with optional
    WAV metadata (as JUCE's WAV reader and writer name it).
*/
void writeAudioFile (const juce::File& file, const juce::AudioBuffer<float>& audio, double sampleRate, int bitsPerSample,
                     const juce::StringPairArray& metadata = {});

/** Writes a plain 32-bit integer PCM WAV file (JUCE's writer makes 32 bits float). */
void writeInteger32WavFile (const juce::File& file, const juce::AudioBuffer<float>& audio, double sampleRate);

/** The format and metadata of an audio file, as JUCE's reader sees them. */
struct AudioFileDetails
{
    int numChannels = 0;
    double sampleRate = 0.0;
    int bitsPerSample = 0;
    bool isFloatingPoint = false;
    juce::int64 length = 0;
    juce::StringPairArray metadata;
};

AudioFileDetails readAudioFileDetails (const juce::File& file);

/** The names of the files in a directory that start with a dot (leftover temporary files). */
juce::StringArray hiddenFilesIn (const juce::File& directory);

/** Reads a whole file; the reader's details through the pointers when given. */
juce::AudioBuffer<float> readAudioFile (const juce::File& file, double* sampleRate = nullptr, int* bitsPerSample = nullptr);

/** A deterministic test signal: speech-like bursts of noise at a level, on every channel. */
juce::AudioBuffer<float> makeNoiseBursts (int channels, int length, float level, int seed);

/** A constant (DC) signal on every channel. */
juce::AudioBuffer<float> makeConstant (int channels, int length, float value);
