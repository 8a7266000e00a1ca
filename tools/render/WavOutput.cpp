#include "WavOutput.h"

#include "StagedFiles.h"

namespace
{
    /** JUCE's WAV writer always marks 32-bit data as float. After writing integer samples, this
        sets the format tag (or the extensible sub-format) of the fmt chunk to integer PCM.
    */
    bool markAsIntegerPcm (const juce::File& file)
    {
        juce::FileOutputStream out (file);   // opens for writing without truncating
        juce::FileInputStream in (file);

        if (out.failedToOpen() || in.failedToOpen())
            return false;

        in.setPosition (12);

        while (! in.isExhausted())
        {
            const auto chunkStart = in.getPosition();
            char name[4];

            if (in.read (name, 4) != 4)
                return false;

            const auto size = (juce::int64) (juce::uint32) in.readInt();

            if (std::memcmp (name, "fmt ", 4) == 0)
            {
                const auto formatTag = (juce::uint16) in.readShort();
                const auto tagPosition = formatTag == 0xfffe ? chunkStart + 8 + 24 : chunkStart + 8;

                if (! out.setPosition (tagPosition))
                    return false;

                out.writeShort (1);   // WAVE_FORMAT_PCM, or the first half of KSDATAFORMAT_SUBTYPE_PCM's data1
                out.flush();
                return out.getStatus().wasOk();
            }

            in.setPosition (chunkStart + 8 + size + (size & 1));
        }

        return false;
    }
}

WavSampleFormat WavSampleFormat::closestTo (int bitsPerSample, bool isFloatingPoint) noexcept
{
    if (isFloatingPoint || bitsPerSample > 32)
        return { 32, true };

    // WAV holds 8, 16, 24 or 32 bits; anything else (a 20-bit AIFF, say) goes up to the next one.
    return { bitsPerSample <= 8 ? 8 : bitsPerSample <= 16 ? 16 : bitsPerSample <= 24 ? 24 : 32, false };
}

WavOutput::~WavOutput() = default;

juce::Result WavOutput::fail (const juce::String& why)
{
    failed = true;
    return juce::Result::fail ("cannot write " + file.getFullPathName() + ": " + why);
}

juce::Result WavOutput::open (const juce::File& fileToWrite, int channels, double sampleRate, WavSampleFormat sampleFormat,
                              const juce::StringPairArray& metadata)
{
    file = fileToWrite;
    format = sampleFormat;
    numChannels = channels;

    auto output = std::make_unique<juce::FileOutputStream> (file);

    if (! isOpenAndEmpty (*output))
        return fail ("the file cannot be created");

    juce::WavAudioFormat wav;
    stream = output.get();
    writer.reset (wav.createWriterFor (output.get(), sampleRate, (unsigned int) channels, format.bitsPerSample, metadata, 0));

    if (writer == nullptr)
        return fail ("not a format a WAV file can hold");

    output.release();   // the writer owns it now
    return juce::Result::ok();
}

bool WavOutput::write (const juce::AudioBuffer<float>& block, int numSamples)
{
    if (failed || writer == nullptr)
        return false;

    bool written = false;

    if (format.bitsPerSample == 32 && ! format.isFloatingPoint)
    {
        // The writer takes 32-bit integers as they are; convert as JUCE does for other depths.
        if (integerCapacity < numChannels * numSamples)
        {
            integerCapacity = numChannels * numSamples;
            integerSamples.malloc ((size_t) integerCapacity);
        }

        const int* channels[64] = {};

        for (int ch = 0; ch < numChannels && ch < 63; ++ch)
        {
            auto* destination = integerSamples.get() + ch * numSamples;
            using Source = juce::AudioData::Pointer<juce::AudioData::Float32, juce::AudioData::NativeEndian, juce::AudioData::NonInterleaved, juce::AudioData::Const>;
            using Destination = juce::AudioData::Pointer<juce::AudioData::Int32, juce::AudioData::NativeEndian, juce::AudioData::NonInterleaved, juce::AudioData::NonConst>;
            Destination (destination).convertSamples (Source (block.getReadPointer (ch)), numSamples);
            channels[ch] = destination;
        }

        written = writer->write (channels, numSamples);
    }
    else
    {
        written = writer->writeFromAudioSampleBuffer (block, 0, numSamples);
    }

    written = written && stream->getStatus().wasOk();
    failed = ! written;
    samplesWritten += written ? numSamples : 0;
    return written;
}

juce::Result WavOutput::finish()
{
    if (writer == nullptr)
        return fail ("it was never opened");

    const auto flushed = ! failed && writer->flush() && (stream->flush(), stream->getStatus().wasOk());
    writer.reset();   // writes the header once more, the same bytes, and closes the file
    stream = nullptr;

    if (! flushed)
        return fail ("the disk may be full or the file too large");

    if (format.bitsPerSample == 32 && ! format.isFloatingPoint && ! markAsIntegerPcm (file))
        return fail ("its header cannot be completed");

    // Read the header back: the length and layout must be what was written.
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatReader> check (wav.createReaderFor (file.createInputStream().release(), true));

    if (check == nullptr || check->lengthInSamples != samplesWritten || (int) check->numChannels != numChannels
        || (int) check->bitsPerSample != format.bitsPerSample || check->usesFloatingPointData != format.isFloatingPoint)
        return fail ("the written file does not read back as written");

    return juce::Result::ok();
}
