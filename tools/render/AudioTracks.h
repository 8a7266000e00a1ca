#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

/** One input track, read whole into memory. */
struct AudioTrack
{
    /** The file it came from. */
    juce::File file;

    /** The samples, padded with silence to the session's length once all tracks are read. */
    juce::AudioBuffer<float> audio;

    /** The file's own length, before padding. */
    juce::int64 originalLength = 0;

    double sampleRate = 0.0;

    /** The file's bit depth, which the output keeps. */
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

    /** Reads every file, checks that they share one sample rate and pads the shorter ones with
        silence to the longest.
    */
    juce::Result readSession (const juce::Array<juce::File>& files, juce::OwnedArray<AudioTrack>& tracks);

private:
    juce::AudioFormatManager formats;
};

/** Writes a track as a WAV file with the given channel count, sample rate and bit depth. The
    file goes to a temporary sibling first and replaces the target only when complete.
*/
juce::Result writeWavFile (const juce::File& file, const juce::AudioBuffer<float>& audio,
                           double sampleRate, int bitsPerSample);

/** The output file for an input: <input name>-hestrel.wav in the output directory. */
juce::File getOutputFileFor (const juce::File& input, const juce::File& outputDirectory);
