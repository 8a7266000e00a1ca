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

/** Opens an audio file for reading, or fails with "cannot read <path>: <why>" when it is a
    directory, missing or cannot be opened.
*/
juce::Result openAudioFileStream (const juce::File& file, std::unique_ptr<juce::FileInputStream>& stream);

/** The message for a file that no registered audio format can read. */
juce::String unsupportedAudioFileMessage (const juce::File& file);

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
