#include "RenderTestSupport.h"

#include <cstdlib>
#include <sys/wait.h>

juce::File RenderTestPaths::tool;
juce::File RenderTestPaths::plugin;

TemporaryDirectory::TemporaryDirectory()
    : directory (juce::File::getSpecialLocation (juce::File::tempDirectory)
                     .getNonexistentChildFile ("hestrel-render-test", "", false))
{
    directory.createDirectory();
}

TemporaryDirectory::~TemporaryDirectory()
{
    directory.deleteRecursively();
}

std::map<juce::String, juce::String> TemporaryDirectory::snapshot() const
{
    std::map<juce::String, juce::String> files;

    for (const auto& entry : juce::RangedDirectoryIterator (directory, true, "*", juce::File::findFilesAndDirectories))
    {
        const auto& file = entry.getFile();
        files[file.getRelativePathFrom (directory)] = file.isDirectory() ? juce::String ("<dir>")
                                                                         : fileDigest (file);
    }

    return files;
}

juce::String fileDigest (const juce::File& file)
{
    juce::MemoryBlock data;
    file.loadFileAsData (data);

    juce::uint64 hash = 14695981039346656037ull;

    for (size_t i = 0; i < data.getSize(); ++i)
        hash = (hash ^ (juce::uint8) data[i]) * 1099511628211ull;

    return juce::String::toHexString ((juce::int64) hash) + "/" + juce::String ((juce::int64) data.getSize());
}

namespace
{
    juce::String shellQuote (const juce::String& text)
    {
        return "'" + text.replace ("'", "'\\''") + "'";
    }
}

ToolRun runRenderTool (const juce::StringArray& arguments, const juce::File& workingDirectory)
{
    const auto outFile = juce::File::createTempFile ("out.txt");
    const auto errFile = juce::File::createTempFile ("err.txt");

    juce::String command = "cd " + shellQuote (workingDirectory.getFullPathName()) + " && " + shellQuote (RenderTestPaths::tool.getFullPathName());

    for (const auto& argument : arguments)
        command << " " << shellQuote (argument);

    command << " > " << shellQuote (outFile.getFullPathName()) << " 2> " << shellQuote (errFile.getFullPathName()) << " < /dev/null";

    ToolRun run;
    const auto status = std::system (command.toRawUTF8());
    run.exitCode = WIFEXITED (status) ? WEXITSTATUS (status) : -1;
    run.out = outFile.loadFileAsString();

    // A Debug build of JUCE greets on stderr; that is not the tool speaking.
    auto errLines = juce::StringArray::fromLines (errFile.loadFileAsString());
    errLines.removeString (juce::SystemStats::getJUCEVersion());
    errLines.removeEmptyStrings();
    run.err = errLines.joinIntoString ("\n");

    outFile.deleteFile();
    errFile.deleteFile();
    return run;
}

ToolRun runRenderToolWithPlugin (const juce::StringArray& arguments, const juce::File& workingDirectory)
{
    juce::StringArray all { "--plugin", RenderTestPaths::plugin.getFullPathName() };
    all.addArray (arguments);
    return runRenderTool (all, workingDirectory);
}

void writeAudioFile (const juce::File& file, const juce::AudioBuffer<float>& audio, double sampleRate, int bitsPerSample)
{
    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    auto* format = formats.findFormatForFileExtension (file.getFileExtension());
    jassert (format != nullptr);

    file.deleteFile();
    auto stream = file.createOutputStream();
    std::unique_ptr<juce::AudioFormatWriter> writer (format->createWriterFor (stream.get(), sampleRate,
                                                                              (unsigned int) audio.getNumChannels(),
                                                                              bitsPerSample, {}, 0));
    jassert (writer != nullptr);
    stream.release();
    writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples());
}

juce::AudioBuffer<float> readAudioFile (const juce::File& file, double* sampleRate, int* bitsPerSample)
{
    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (file));

    if (reader == nullptr)
        return {};

    juce::AudioBuffer<float> audio ((int) reader->numChannels, (int) reader->lengthInSamples);
    reader->read (&audio, 0, audio.getNumSamples(), 0, true, true);

    if (sampleRate != nullptr)
        *sampleRate = reader->sampleRate;

    if (bitsPerSample != nullptr)
        *bitsPerSample = (int) reader->bitsPerSample;

    return audio;
}

juce::AudioBuffer<float> makeNoiseBursts (int channels, int length, float level, int seed)
{
    juce::Random random (seed);
    juce::AudioBuffer<float> audio (channels, length);

    for (int i = 0; i < length; ++i)
    {
        // 100 ms on, 60 ms off, like words and the gaps between them.
        const auto on = (i % 7680) < 4800;
        const auto value = on ? level * (random.nextFloat() * 2.0f - 1.0f) : 0.0f;

        for (int ch = 0; ch < channels; ++ch)
            audio.setSample (ch, i, value);
    }

    return audio;
}

juce::AudioBuffer<float> makeConstant (int channels, int length, float value)
{
    juce::AudioBuffer<float> audio (channels, length);

    for (int ch = 0; ch < channels; ++ch)
        juce::FloatVectorOperations::fill (audio.getWritePointer (ch), value, length);

    return audio;
}
