#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

/** The sample format of a WAV output: 8, 16, 24 or 32-bit integer, or 32-bit float. */
struct WavSampleFormat
{
    int bitsPerSample = 24;
    bool isFloatingPoint = false;

    /** The WAV format that holds an input's samples unchanged, or the nearest one above it. */
    static WavSampleFormat closestTo (int bitsPerSample, bool isFloatingPoint) noexcept;
};

/**
    A WAV file written block by block. finish() flushes it, checks that every byte reached the
    disk and reads the header back; an error at any point is kept and reported there.
*/
class WavOutput
{
public:
    WavOutput() = default;
    ~WavOutput();

    /** Creates the file (replacing what is there) with these channels, rate, format and metadata. */
    juce::Result open (const juce::File& file, int numChannels, double sampleRate, WavSampleFormat format,
                       const juce::StringPairArray& metadata);

    /** Appends the first numSamples of every channel. */
    bool write (const juce::AudioBuffer<float>& block, int numSamples);

    /** Completes the header, flushes and checks that the file holds what was written. */
    juce::Result finish();

private:
    juce::File file;
    juce::FileOutputStream* stream = nullptr;   // owned by the writer
    std::unique_ptr<juce::AudioFormatWriter> writer;
    WavSampleFormat format;
    int numChannels = 0;
    juce::int64 samplesWritten = 0;
    bool failed = false;
    juce::HeapBlock<int> integerSamples;
    int integerCapacity = 0;

    juce::Result fail (const juce::String& why);
};
