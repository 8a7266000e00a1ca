#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

/** One audio file, read whole into memory (for the quality report's short demo session). */
struct AudioTrack
{
    /** The file it came from. */
    juce::File file;

    /** The samples. */
    juce::AudioBuffer<float> audio;

    double sampleRate = 0.0;

    /** The file's bit depth. */
    int bitsPerSample = 0;

    /** A short name for tables and plots: the file name without its extension. */
    juce::String getName() const    { return file.getFileNameWithoutExtension(); }
};

/** Reads tracks with JUCE's audio formats (WAV, AIFF, FLAC, Ogg Vorbis). */
class AudioTrackReader
{
public:
    AudioTrackReader();

    /** Reads one mono or stereo file; fails with a one-line message for anything else. */
    juce::Result read (const juce::File& file, AudioTrack& track);

private:
    juce::AudioFormatManager formats;
};

/** The output file for an input: <input name>-hestrel.wav in the output directory. */
juce::File getOutputFileFor (const juce::File& input, const juce::File& outputDirectory);
