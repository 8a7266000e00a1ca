#include "RenderTestSupport.h"

#include <csignal>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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

    /** The shell command that runs the tool in a folder with its output in two files; with
        replaceShell the tool takes the shell's process, so signals reach it directly.
    */
    juce::String toolCommand (const juce::StringArray& arguments, const juce::File& workingDirectory,
                              const juce::File& outFile, const juce::File& errFile, bool replaceShell)
    {
        juce::String command = "cd " + shellQuote (workingDirectory.getFullPathName()) + " && "
                             + (replaceShell ? "exec " : "") + shellQuote (RenderTestPaths::tool.getFullPathName());

        for (const auto& argument : arguments)
            command << " " << shellQuote (argument);

        command << " > " << shellQuote (outFile.getFullPathName()) << " 2> " << shellQuote (errFile.getFullPathName()) << " < /dev/null";
        return command;
    }

    /** What the tool said, from its two files. */
    ToolRun collectRun (int exitCode, const juce::File& outFile, const juce::File& errFile)
    {
        ToolRun run;
        run.exitCode = exitCode;
        run.out = outFile.loadFileAsString();

        // A Debug build of JUCE greets on stderr; that is not the tool speaking.
        auto errLines = juce::StringArray::fromLines (errFile.loadFileAsString());
        errLines.removeString (juce::SystemStats::getJUCEVersion());
        errLines.removeEmptyStrings();
        run.err = errLines.joinIntoString ("\n");
        return run;
    }

    juce::StringArray withPlugin (const juce::StringArray& arguments)
    {
        juce::StringArray all { "--plugin", RenderTestPaths::plugin.getFullPathName() };
        all.addArray (arguments);
        return all;
    }
}

ToolRun runRenderTool (const juce::StringArray& arguments, const juce::File& workingDirectory)
{
    const auto outFile = juce::File::createTempFile ("out.txt");
    const auto errFile = juce::File::createTempFile ("err.txt");

    const auto status = std::system (toolCommand (arguments, workingDirectory, outFile, errFile, false).toRawUTF8());
    const auto run = collectRun (WIFEXITED (status) ? WEXITSTATUS (status) : -1, outFile, errFile);

    outFile.deleteFile();
    errFile.deleteFile();
    return run;
}

ToolRun runRenderToolWithPlugin (const juce::StringArray& arguments, const juce::File& workingDirectory)
{
    return runRenderTool (withPlugin (arguments), workingDirectory);
}

ToolRun runRenderToolWithFileSizeLimit (const juce::StringArray& arguments, const juce::File& workingDirectory, long maxBytes)
{
    // The shell and the tool inherit the limit; this process writes nothing big meanwhile.
    rlimit previous {};
    getrlimit (RLIMIT_FSIZE, &previous);
    rlimit limited = previous;
    limited.rlim_cur = (rlim_t) maxBytes;
    setrlimit (RLIMIT_FSIZE, &limited);

    const auto run = runRenderToolWithPlugin (arguments, workingDirectory);
    setrlimit (RLIMIT_FSIZE, &previous);
    return run;
}

BackgroundToolRun::BackgroundToolRun (const juce::StringArray& arguments, const juce::File& workingDirectory)
    : outFile (juce::File::createTempFile ("out.txt")), errFile (juce::File::createTempFile ("err.txt"))
{
    const auto command = toolCommand (withPlugin (arguments), workingDirectory, outFile, errFile, true);

    pid = fork();

    if (pid == 0)
    {
        execl ("/bin/sh", "sh", "-c", command.toRawUTF8(), (char*) nullptr);
        _exit (127);
    }
}

BackgroundToolRun::~BackgroundToolRun()
{
    if (pid > 0)
    {
        kill (pid, SIGKILL);
        waitpid (pid, nullptr, 0);
    }

    outFile.deleteFile();
    errFile.deleteFile();
}

void BackgroundToolRun::signal (int signalNumber) const
{
    if (pid > 0)
        kill (pid, signalNumber);
}

bool BackgroundToolRun::waitForHiddenFileIn (const juce::File& directory, int timeoutMs) const
{
    for (int waited = 0; waited < timeoutMs; waited += 10)
    {
        // Has it ended? (Looked at without reaping it, so wait() still gets its status.)
        siginfo_t info {};

        if (waitid (P_PID, (id_t) pid, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid != 0)
            return false;

        if (! hiddenFilesIn (directory).isEmpty())
            return true;

        juce::Thread::sleep (10);
    }

    return false;
}

ToolRun BackgroundToolRun::wait()
{
    int status = 0;
    waitpid (pid, &status, 0);
    pid = -1;

    return collectRun (WIFEXITED (status) ? WEXITSTATUS (status) : WIFSIGNALED (status) ? 128 + WTERMSIG (status) : -1,
                       outFile, errFile);
}

juce::StringArray hiddenFilesIn (const juce::File& directory)
{
    juce::StringArray names;

    for (const auto& entry : juce::RangedDirectoryIterator (directory, false, "*", juce::File::findFilesAndDirectories))
        if (entry.getFile().getFileName().startsWithChar ('.'))
            names.add (entry.getFile().getFileName());

    return names;
}

void writeAudioFile (const juce::File& file, const juce::AudioBuffer<float>& audio, double sampleRate, int bitsPerSample,
                     const juce::StringPairArray& metadata)
{
    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    auto* format = formats.findFormatForFileExtension (file.getFileExtension());
    jassert (format != nullptr);

    file.deleteFile();
    auto stream = file.createOutputStream();
    std::unique_ptr<juce::AudioFormatWriter> writer (format->createWriterFor (stream.get(), sampleRate,
                                                                              (unsigned int) audio.getNumChannels(),
                                                                              bitsPerSample, metadata, 0));
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

void writeInteger32WavFile (const juce::File& file, const juce::AudioBuffer<float>& audio, double sampleRate)
{
    const auto channels = audio.getNumChannels();
    const auto dataBytes = (juce::uint32) (audio.getNumSamples() * channels * 4);
    juce::MemoryOutputStream wav;
    wav.write ("RIFF", 4);
    wav.writeInt ((int) (4 + 8 + 16 + 8 + dataBytes));
    wav.write ("WAVEfmt ", 8);
    wav.writeInt (16);
    wav.writeShort (1);   // integer PCM
    wav.writeShort ((short) channels);
    wav.writeInt ((int) sampleRate);
    wav.writeInt ((int) sampleRate * channels * 4);
    wav.writeShort ((short) (channels * 4));
    wav.writeShort (32);
    wav.write ("data", 4);
    wav.writeInt ((int) dataBytes);

    for (int i = 0; i < audio.getNumSamples(); ++i)
        for (int ch = 0; ch < channels; ++ch)
            wav.writeInt ((int) std::lround (juce::jlimit (-1.0, 1.0 - 1.0 / 2147483648.0, (double) audio.getSample (ch, i)) * 2147483648.0));

    file.replaceWithData (wav.getData(), wav.getDataSize());
}

AudioFileDetails readAudioFileDetails (const juce::File& file)
{
    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (file));
    AudioFileDetails details;

    if (reader != nullptr)
        details = { (int) reader->numChannels, reader->sampleRate, (int) reader->bitsPerSample,
                    reader->usesFloatingPointData, reader->lengthInSamples, reader->metadataValues };

    return details;
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
