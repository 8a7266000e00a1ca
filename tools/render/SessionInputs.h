#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

/** One input file, open for reading block by block. */
struct InputFile
{
    juce::File file;
    std::unique_ptr<juce::AudioFormatReader> reader;

    /** Set when the file's data ends before its header says it should (a cut-off recording). */
    std::shared_ptr<bool> endedEarly;

    int numChannels = 0;
    int bitsPerSample = 0;
    bool isFloatingPoint = false;
    juce::int64 length = 0;

    /** The WAV file's metadata (broadcast-WAV chunk, iXML, cue points, ...); empty for others. */
    juce::StringPairArray wavMetadata;
};

/** One track of the render: a whole input file, or with --split one channel of it. */
struct SessionTrack
{
    int input = 0;

    /** The file's first channel that belongs to the track, and how many do. */
    int firstChannel = 0;
    int numChannels = 1;

    /** For tables, plots and output names: the file name, plus -ch<k> for a split channel. */
    juce::String name;
};

/**
    The inputs of a render, opened and checked up front, then read one block at a time: memory
    does not grow with the session's length. Shorter files read as silence past their end, so
    every track has the session's length.
*/
class SessionInputs
{
public:
    SessionInputs();

    /** Opens every file and checks it can be used; with split, files of two or more channels give
        one mono track per channel. Fails with one line for a missing, unreadable or unsupported
        file, a file of more than two channels without split, or differing sample rates.
    */
    juce::Result open (const juce::Array<juce::File>& files, bool split);

    const juce::OwnedArray<InputFile>& getFiles() const noexcept    { return files; }
    const std::vector<SessionTrack>& getTracks() const noexcept    { return tracks; }

    double getSampleRate() const noexcept    { return sampleRate; }

    /** The longest file's length in samples: the length of every output. */
    juce::int64 getLength() const noexcept    { return length; }

    /** Reads samples [start, start + numSamples) of every track into its buffer (which must have
        the track's channels and room for numSamples). Fails when a file cannot be read or ends early.
    */
    juce::Result readBlock (juce::int64 start, int numSamples, const juce::Array<juce::AudioBuffer<float>*>& trackBlocks);

private:
    juce::AudioFormatManager formats;
    juce::OwnedArray<InputFile> files;
    std::vector<SessionTrack> tracks;
    juce::OwnedArray<juce::AudioBuffer<float>> fileBlocks;
    double sampleRate = 0.0;
    juce::int64 length = 0;

    juce::Result openFile (const juce::File& file, InputFile& input);
};
