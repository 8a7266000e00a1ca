#include "AudioTracks.h"

AudioTrackReader::AudioTrackReader()
{
    formats.registerBasicFormats();
}

juce::Result AudioTrackReader::read (const juce::File& file, AudioTrack& track)
{
    const auto path = file.getFullPathName();

    if (file.isDirectory())
        return juce::Result::fail ("cannot read " + path + ": it is a directory");

    if (! file.existsAsFile())
        return juce::Result::fail ("cannot read " + path + ": no such file");

    auto stream = file.createInputStream();

    if (stream == nullptr || stream->failedToOpen())
        return juce::Result::fail ("cannot read " + path + ": the file cannot be opened");

    std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (std::move (stream)));

    if (reader == nullptr)
        return juce::Result::fail ("cannot read " + path + ": not a supported audio file (WAV, AIFF, FLAC or Ogg Vorbis)");

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
    track.originalLength = length;
    track.audio.setSize ((int) reader->numChannels, length);

    if (! reader->read (&track.audio, 0, length, 0, true, true))
        return juce::Result::fail ("cannot read " + path + ": the audio data is damaged");

    return juce::Result::ok();
}

juce::Result AudioTrackReader::readSession (const juce::Array<juce::File>& files, juce::OwnedArray<AudioTrack>& tracks)
{
    tracks.clear();

    for (const auto& file : files)
    {
        auto track = std::make_unique<AudioTrack>();
        const auto result = read (file, *track);

        if (result.failed())
            return result;

        if (! tracks.isEmpty() && track->sampleRate != tracks.getFirst()->sampleRate)
            return juce::Result::fail ("sample rates differ: " + tracks.getFirst()->file.getFileName() + " is at "
                                       + juce::String (tracks.getFirst()->sampleRate, 0) + " Hz, "
                                       + file.getFileName() + " at " + juce::String (track->sampleRate, 0) + " Hz");

        tracks.add (std::move (track));
    }

    int longest = 0;

    for (auto* track : tracks)
        longest = juce::jmax (longest, track->audio.getNumSamples());

    for (auto* track : tracks)
        track->audio.setSize (track->audio.getNumChannels(), longest, true, true);

    return juce::Result::ok();
}

juce::Result writeWavFile (const juce::File& file, const juce::AudioBuffer<float>& audio,
                           double sampleRate, int bitsPerSample)
{
    // WAV holds 8, 16, 24 or 32 bits; anything else (a 20-bit AIFF, say) goes up to the next one.
    const auto bits = bitsPerSample <= 8 ? 8 : bitsPerSample <= 16 ? 16 : bitsPerSample <= 24 ? 24 : 32;
    const juce::TemporaryFile temporary (file);

    {
        auto stream = temporary.getFile().createOutputStream();

        if (stream == nullptr || stream->failedToOpen())
            return juce::Result::fail ("cannot write " + file.getFullPathName());

        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatWriter> writer (wav.createWriterFor (stream.get(), sampleRate,
                                                                              (unsigned int) audio.getNumChannels(),
                                                                              bits, {}, 0));
        if (writer == nullptr)
            return juce::Result::fail ("cannot write " + file.getFullPathName() + " as a WAV file");

        stream.release();   // the writer owns it now

        if (! writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples()))
            return juce::Result::fail ("cannot write " + file.getFullPathName() + ": the disk may be full");
    }

    if (! temporary.overwriteTargetFileWithTemporary())
        return juce::Result::fail ("cannot write " + file.getFullPathName());

    return juce::Result::ok();
}

juce::File getOutputFileFor (const juce::File& input, const juce::File& outputDirectory)
{
    return outputDirectory.getChildFile (input.getFileNameWithoutExtension() + "-hestrel.wav");
}
