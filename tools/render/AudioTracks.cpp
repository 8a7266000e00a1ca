#include "AudioTracks.h"

AudioTrackReader::AudioTrackReader()
{
    formats.registerBasicFormats();
}

juce::Result openAudioFileStream (const juce::File& file, std::unique_ptr<juce::FileInputStream>& stream)
{
    const auto path = file.getFullPathName();

    if (file.isDirectory())
        return juce::Result::fail ("cannot read " + path + ": it is a directory");

    if (! file.existsAsFile())
        return juce::Result::fail ("cannot read " + path + ": no such file");

    stream = file.createInputStream();

    if (stream == nullptr || stream->failedToOpen())
        return juce::Result::fail ("cannot read " + path + ": the file cannot be opened");

    return juce::Result::ok();
}

juce::String unsupportedAudioFileMessage (const juce::File& file)
{
    return "cannot read " + file.getFullPathName() + ": not a supported audio file (WAV, AIFF, FLAC or Ogg Vorbis)";
}

juce::Result AudioTrackReader::read (const juce::File& file, AudioTrack& track)
{
    const auto path = file.getFullPathName();
    std::unique_ptr<juce::FileInputStream> stream;

    if (const auto opened = openAudioFileStream (file, stream); opened.failed())
        return opened;

    std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (std::move (stream)));

    if (reader == nullptr)
        return juce::Result::fail (unsupportedAudioFileMessage (file));

    if (reader->numChannels < 1 || reader->numChannels > 2)
        return juce::Result::fail ("cannot use " + path + ": it has " + juce::String (reader->numChannels)
                                   + " channels; tracks must be mono or stereo");

    if (reader->lengthInSamples <= 0 || reader->sampleRate <= 0.0)
        return juce::Result::fail ("cannot use " + path + ": it holds no audio");

    if (reader->lengthInSamples > std::numeric_limits<int>::max())
        return juce::Result::fail ("cannot use " + path + ": it is too long");

    const auto length = (int) reader->lengthInSamples;
    track.file = file;
    track.sampleRate = reader->sampleRate;
    track.bitsPerSample = (int) reader->bitsPerSample;
    track.audio.setSize ((int) reader->numChannels, length);

    if (! reader->read (&track.audio, 0, length, 0, true, true))
        return juce::Result::fail ("cannot read " + path + ": the audio data is damaged");

    return juce::Result::ok();
}

juce::File getOutputFileFor (const juce::File& input, const juce::File& outputDirectory)
{
    return outputDirectory.getChildFile (input.getFileNameWithoutExtension() + "-hestrel.wav");
}
