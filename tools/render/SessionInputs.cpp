#include "SessionInputs.h"

#include "AudioTracks.h"

namespace
{
    /** Passes reads through and notes any that come back short, which inside the audio data
        means the file was cut off: JUCE's readers fill the gap with silence and say nothing.
    */
    class ShortReadWatcher : public juce::InputStream
    {
    public:
        ShortReadWatcher (std::unique_ptr<juce::InputStream> sourceToUse, std::shared_ptr<bool> flag)
            : source (std::move (sourceToUse)), shortRead (std::move (flag)) {}

        juce::int64 getTotalLength() override    { return source->getTotalLength(); }
        bool isExhausted() override               { return source->isExhausted(); }
        juce::int64 getPosition() override        { return source->getPosition(); }
        bool setPosition (juce::int64 position) override    { return source->setPosition (position); }

        int read (void* destination, int maxBytes) override
        {
            const auto got = source->read (destination, maxBytes);

            if (got < maxBytes)
                *shortRead = true;

            return got;
        }

    private:
        std::unique_ptr<juce::InputStream> source;
        std::shared_ptr<bool> shortRead;
    };

    /** Formats whose readers never read past the audio data, so a short read means a cut-off file. */
    bool readsExactly (const juce::AudioFormatReader& reader)
    {
        return reader.getFormatName() == "WAV file" || reader.getFormatName() == "AIFF file";
    }
}

SessionInputs::SessionInputs()
{
    formats.registerBasicFormats();
}

juce::Result SessionInputs::openFile (const juce::File& file, InputFile& input)
{
    const auto path = file.getFullPathName();
    std::unique_ptr<juce::FileInputStream> stream;

    if (const auto opened = openAudioFileStream (file, stream); opened.failed())
        return opened;

    input.endedEarly = std::make_shared<bool> (false);
    input.reader.reset (formats.createReaderFor (std::make_unique<ShortReadWatcher> (std::move (stream), input.endedEarly)));
    auto* reader = input.reader.get();

    if (reader == nullptr)
        return juce::Result::fail (unsupportedAudioFileMessage (file));

    if (reader->lengthInSamples <= 0 || reader->sampleRate <= 0.0 || reader->numChannels < 1)
        return juce::Result::fail ("cannot use " + path + ": it holds no audio");

    // Reading the header may run into the end of the file; only the audio data counts.
    *input.endedEarly = false;

    input.file = file;
    input.numChannels = (int) reader->numChannels;
    input.bitsPerSample = (int) reader->bitsPerSample;
    input.isFloatingPoint = reader->usesFloatingPointData;
    input.length = reader->lengthInSamples;

    if (reader->getFormatName() == "WAV file")
    {
        // JUCE's reader lists an extensible header's channel mask among the metadata, and its
        // writer adds a sampler chunk whenever there is any: keep only what the file really carries.
        input.wavMetadata = reader->metadataValues;
        input.wavMetadata.remove ("ChannelMask");

        if (input.wavMetadata.size() == 1 && input.wavMetadata.containsKey ("MetaDataSource"))
            input.wavMetadata.clear();
    }

    return juce::Result::ok();
}

juce::Result SessionInputs::open (const juce::Array<juce::File>& inputFiles, bool split)
{
    files.clear();
    tracks.clear();
    fileBlocks.clear();
    length = 0;

    for (const auto& file : inputFiles)
    {
        auto input = std::make_unique<InputFile>();

        if (const auto opened = openFile (file, *input); opened.failed())
            return opened;

        if (input->numChannels > 2 && ! split)
            return juce::Result::fail ("cannot use " + file.getFullPathName() + ": it has " + juce::String (input->numChannels)
                                       + " channels; tracks must be mono or stereo (--split takes one track per channel)");

        const auto rate = input->reader->sampleRate;

        if (! files.isEmpty() && rate != sampleRate)
            return juce::Result::fail ("sample rates differ: " + files.getFirst()->file.getFileName() + " is at "
                                       + juce::String (sampleRate, 0) + " Hz, "
                                       + file.getFileName() + " at " + juce::String (rate, 0) + " Hz");

        sampleRate = rate;
        length = juce::jmax (length, input->length);
        const auto name = file.getFileNameWithoutExtension();

        if (split && input->numChannels > 1)
        {
            for (int ch = 0; ch < input->numChannels; ++ch)
                tracks.push_back ({ files.size(), ch, 1, name + "-ch" + juce::String (ch + 1) });
        }
        else
        {
            tracks.push_back ({ files.size(), 0, input->numChannels, name });
        }

        files.add (std::move (input));
    }

    return juce::Result::ok();
}

juce::Result SessionInputs::readBlock (juce::int64 start, int numSamples, const juce::Array<juce::AudioBuffer<float>*>& trackBlocks)
{
    jassert ((size_t) trackBlocks.size() == tracks.size());

    while (fileBlocks.size() < files.size())
        fileBlocks.add (new juce::AudioBuffer<float>());

    for (int i = 0; i < files.size(); ++i)
    {
        auto& input = *files.getUnchecked (i);
        auto& block = *fileBlocks.getUnchecked (i);
        block.setSize (input.numChannels, numSamples, false, false, true);

        // Past the file's end the reader gives silence: the padding streams like the rest.
        if (start >= input.length)
            block.clear();
        else if (! input.reader->read (&block, 0, numSamples, start, true, true))
            return juce::Result::fail ("cannot read " + input.file.getFullPathName() + ": the audio data is damaged");

        if (readsExactly (*input.reader) && *input.endedEarly)
            return juce::Result::fail ("cannot read " + input.file.getFullPathName() + ": the file ends before its audio data does (cut off?)");
    }

    for (size_t t = 0; t < tracks.size(); ++t)
    {
        const auto& track = tracks[t];
        auto& destination = *trackBlocks.getUnchecked ((int) t);

        for (int ch = 0; ch < track.numChannels; ++ch)
            destination.copyFrom (ch, 0, *fileBlocks.getUnchecked (track.input), track.firstChannel + ch, 0, numSamples);
    }

    return juce::Result::ok();
}
