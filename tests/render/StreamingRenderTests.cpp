#include "RenderTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>

namespace
{
    constexpr double rate = 48000.0;

    /** Three mics of noise bursts at different levels, so their gains differ. */
    juce::AudioBuffer<float> makeRecorderChannels (int length)
    {
        juce::AudioBuffer<float> audio (3, length);
        const float levels[] { 0.4f, 0.1f, 0.02f };

        for (int ch = 0; ch < 3; ++ch)
            audio.copyFrom (ch, 0, makeNoiseBursts (1, length, levels[ch], 20 + ch), 0, 0, length);

        return audio;
    }

    juce::AudioBuffer<float> channelOf (const juce::AudioBuffer<float>& audio, int channel)
    {
        juce::AudioBuffer<float> mono (1, audio.getNumSamples());
        mono.copyFrom (0, 0, audio, channel, 0, audio.getNumSamples());
        return mono;
    }

    float largestDifference (const juce::AudioBuffer<float>& a, int channelA, const juce::AudioBuffer<float>& b, int channelB)
    {
        if (a.getNumSamples() != b.getNumSamples())
            return 1.0e9f;

        float largest = 0.0f;

        for (int i = 0; i < a.getNumSamples(); ++i)
            largest = juce::jmax (largest, std::abs (a.getSample (channelA, i) - b.getSample (channelB, i)));

        return largest;
    }
}

TEST (RecorderFiles, ASplitChannelIsCleanedExactlyAsTheSameAudioGivenAsAMonoFile)
{
    const TemporaryDirectory dir;
    const auto channels = makeRecorderChannels (36000);
    writeAudioFile (dir / "rec.wav", channels, rate, 24);

    for (int ch = 0; ch < 3; ++ch)
        writeAudioFile (dir / ("mic" + juce::String (ch + 1) + ".wav"), channelOf (channels, ch), rate, 24);

    ASSERT_EQ (runRenderToolWithPlugin ({ "--out", path (dir, "mono"), path (dir, "mic1.wav"), path (dir, "mic2.wav"), path (dir, "mic3.wav") },
                                        dir.get()).exitCode, 0);

    const auto split = runRenderToolWithPlugin ({ "--out", path (dir, "split"), "--split", path (dir, "rec.wav") }, dir.get());
    ASSERT_EQ (split.exitCode, 0) << split.err;
    const auto perChannel = runRenderToolWithPlugin ({ "--out", path (dir, "perchannel"), "--split-outputs", path (dir, "rec.wav") }, dir.get());
    ASSERT_EQ (perChannel.exitCode, 0) << perChannel.err;

    // One multichannel output in the input's format, every channel as its mono twin.
    const auto details = readAudioFileDetails (dir / "split/rec-hestrel.wav");
    EXPECT_EQ (details.numChannels, 3);
    EXPECT_EQ (details.bitsPerSample, 24);
    const auto together = readAudioFile (dir / "split/rec-hestrel.wav");

    for (int ch = 0; ch < 3; ++ch)
    {
        const auto name = "mic" + juce::String (ch + 1);
        const auto mono = dir / ("mono/" + name + "-hestrel.wav");
        EXPECT_EQ (largestDifference (together, ch, readAudioFile (mono), 0), 0.0f) << name;

        // As mono files, the split channels are the mono run's outputs byte for byte.
        EXPECT_EQ (fileDigest (dir / ("perchannel/rec-ch" + juce::String (ch + 1) + "-hestrel.wav")), fileDigest (mono)) << name;
    }

    EXPECT_TRUE ((dir / "split/gains.csv").loadFileAsString().startsWith ("time_s,rec-ch1_level_db,rec-ch1_gain_db,rec-ch2_level_db"));
    EXPECT_TRUE (split.out.startsWith ("rec-ch1: open ")) << split.out;
    EXPECT_FALSE ((dir / "perchannel/rec-hestrel.wav").exists());

    // Split channels count as tracks for --set-track.
    const auto third = runRenderToolWithPlugin ({ "--out", path (dir, "third"), "--split", "--set-track", "3:threshold=-30", path (dir, "rec.wav") }, dir.get());
    EXPECT_EQ (third.exitCode, 0) << third.err;
    const auto fourth = runRenderToolWithPlugin ({ "--out", path (dir, "fourth"), "--split", "--set-track", "4:threshold=-30", path (dir, "rec.wav") }, dir.get());
    EXPECT_EQ (fourth.exitCode, 1);
    EXPECT_TRUE (fourth.err.contains ("track 4 is out of range")) << fourth.err;
    EXPECT_FALSE ((dir / "fourth").exists());
}

TEST (Mix, MonoTracksSumToAMonoMixAndAStereoTrackMakesItStereoWithMonoTracksThreeDecibelsDown)
{
    const TemporaryDirectory dir;
    writeAudioFile (dir / "a.wav", makeNoiseBursts (1, 24000, 0.5f, 1), rate, 16);
    writeAudioFile (dir / "b.wav", makeNoiseBursts (1, 24000, 0.3f, 2), rate, 24);
    auto stereo = makeNoiseBursts (2, 24000, 0.2f, 3);
    stereo.applyGain (1, 0, stereo.getNumSamples(), 0.5f);
    writeAudioFile (dir / "s.wav", stereo, rate, 24);

    struct MixCase
    {
        juce::StringArray inputs;
        int channels;
    };

    for (const auto& mixCase : { MixCase { { "a.wav", "b.wav" }, 1 }, MixCase { { "a.wav", "s.wav" }, 2 } })
    {
        const auto out = dir / ("out" + juce::String (mixCase.channels));
        const auto mixFile = dir / ("mix" + juce::String (mixCase.channels) + ".wav");
        juce::StringArray arguments { "--out", out.getFullPathName(), "--mix", mixFile.getFullPathName() };
        arguments.addArray (mixCase.inputs);

        const auto run = runRenderToolWithPlugin (arguments, dir.get());
        ASSERT_EQ (run.exitCode, 0) << run.err;

        const auto details = readAudioFileDetails (mixFile);
        EXPECT_EQ (details.numChannels, mixCase.channels);
        EXPECT_EQ (details.bitsPerSample, 32);
        EXPECT_TRUE (details.isFloatingPoint);

        // The expected mix from the cleaned tracks as written (16 and 24-bit, so allow their step).
        juce::AudioBuffer<float> expected (mixCase.channels, 24000);
        expected.clear();

        for (const auto& input : mixCase.inputs)
        {
            const auto cleaned = readAudioFile (out.getChildFile (input.upToLastOccurrenceOf (".", false, false) + "-hestrel.wav"));
            const auto gain = mixCase.channels == 2 && cleaned.getNumChannels() == 1 ? juce::Decibels::decibelsToGain (-3.0f) : 1.0f;

            for (int ch = 0; ch < mixCase.channels; ++ch)
                expected.addFrom (ch, 0, cleaned, juce::jmin (ch, cleaned.getNumChannels() - 1), 0, 24000, gain);
        }

        const auto mix = readAudioFile (mixFile);
        float peak = 0.0f;

        for (int ch = 0; ch < mixCase.channels; ++ch)
        {
            EXPECT_LT (largestDifference (mix, ch, expected, ch), 1.0e-4f) << "channel " << ch;
            peak = juce::jmax (peak, mix.getMagnitude (ch, 0, mix.getNumSamples()));
        }

        EXPECT_TRUE (run.out.contains ("mix: peak " + juce::String (juce::Decibels::gainToDecibels (peak), 1) + " dBFS")) << run.out;
    }
}

TEST (FaithfulOutputs, IntegerAndFloatFormatsAndBroadcastWavMetadataSurvive)
{
    const TemporaryDirectory dir;
    const auto audio = makeNoiseBursts (2, 12000, 0.3f, 5);
    writeInteger32WavFile (dir / "int32.wav", audio, rate);
    writeAudioFile (dir / "float32.wav", channelOf (audio, 0), rate, 32);

    auto metadata = juce::WavAudioFormat::createBWAVMetadata ("studio B, take 3", "Hestrel tests", "2026-01-02", juce::Time(),
                                                              1234567890123LL, "A=PCM,F=48000,W=24,M=mono");
    writeAudioFile (dir / "bwav.wav", channelOf (audio, 1), rate, 24, metadata);

    const auto run = runRenderToolWithPlugin ({ "--out", path (dir, "out"), path (dir, "int32.wav"), path (dir, "float32.wav"), path (dir, "bwav.wav") },
                                              dir.get());
    ASSERT_EQ (run.exitCode, 0) << run.err;

    const auto int32 = readAudioFileDetails (dir / "out/int32-hestrel.wav");
    EXPECT_EQ (int32.numChannels, 2);
    EXPECT_EQ (int32.bitsPerSample, 32);
    EXPECT_FALSE (int32.isFloatingPoint) << "32-bit integer must stay integer";

    const auto float32 = readAudioFileDetails (dir / "out/float32-hestrel.wav");
    EXPECT_EQ (float32.bitsPerSample, 32);
    EXPECT_TRUE (float32.isFloatingPoint);

    // The integer output holds the cleaned samples: below the input, never above it.
    const auto in = readAudioFile (dir / "int32.wav");
    const auto out = readAudioFile (dir / "out/int32-hestrel.wav");
    ASSERT_EQ (out.getNumSamples(), in.getNumSamples());
    EXPECT_GT (out.getMagnitude (0, 0, out.getNumSamples()), 0.05f);
    EXPECT_LE (out.getMagnitude (0, 0, out.getNumSamples()), in.getMagnitude (0, 0, in.getNumSamples()) + 1.0e-6f);

    const auto bwav = readAudioFileDetails (dir / "out/bwav-hestrel.wav");
    EXPECT_EQ (bwav.bitsPerSample, 24);

    for (const auto* key : { juce::WavAudioFormat::bwavTimeReference, juce::WavAudioFormat::bwavDescription,
                             juce::WavAudioFormat::bwavOriginator, juce::WavAudioFormat::bwavCodingHistory })
        EXPECT_EQ (bwav.metadata.getValue (key, "<missing>"), metadata.getValue (key, "")) << key;
}

namespace
{
    /** A session long enough to be caught while it renders, and what an earlier run left. */
    struct LongSession
    {
        juce::StringArray arguments;
        juce::File out;
    };

    LongSession makeLongSession (const TemporaryDirectory& dir)
    {
        const auto length = (int) rate * 60;
        writeAudioFile (dir / "a.wav", makeNoiseBursts (1, length, 0.3f, 1), rate, 16);
        writeAudioFile (dir / "b.wav", makeNoiseBursts (1, length, 0.05f, 2), rate, 16);
        (dir / "out").createDirectory();
        (dir / "out/notes.txt").replaceWithText ("the user's own file\n");
        return { { "--out", path (dir, "out"), path (dir, "a.wav"), path (dir, "b.wav") }, dir / "out" };
    }
}

TEST (AllOrNothing, ASignalWhileRenderingRemovesEveryTemporaryFile)
{
    const TemporaryDirectory dir;
    const auto session = makeLongSession (dir);
    const auto before = dir.snapshot();

    BackgroundToolRun running (session.arguments, dir.get());
    ASSERT_TRUE (running.waitForHiddenFileIn (session.out, 60000)) << "the render never started";
    running.signal (SIGTERM);
    const auto run = running.wait();

    EXPECT_EQ (run.exitCode, 128 + SIGTERM);
    EXPECT_EQ (run.err, "hestrel-render: error: interrupted by SIGTERM; nothing was written");
    EXPECT_EQ (dir.snapshot(), before);
}

TEST (AllOrNothing, AFileThatAppearsInTheWayWhileRenderingIsNotReplaced)
{
    const TemporaryDirectory dir;
    const auto session = makeLongSession (dir);

    BackgroundToolRun running (session.arguments, dir.get());
    ASSERT_TRUE (running.waitForHiddenFileIn (session.out, 60000)) << "the render never started";

    // Hold the render still while another program writes where one of its outputs goes.
    running.signal (SIGSTOP);
    session.out.getChildFile ("b-hestrel.wav").replaceWithText ("written by someone else\n");
    auto before = dir.snapshot();

    // The render's own temporary files are there now; they must be gone at the end.
    for (auto it = before.begin(); it != before.end();)
        it = it->first.fromLastOccurrenceOf ("/", false, false).startsWithChar ('.') ? before.erase (it) : std::next (it);

    running.signal (SIGCONT);
    const auto run = running.wait();

    EXPECT_EQ (run.exitCode, 1);
    EXPECT_TRUE (run.err.contains ("b-hestrel.wav appeared while rendering")) << run.err;
    EXPECT_FALSE (run.err.containsChar ('\n')) << run.err;
    EXPECT_EQ (dir.snapshot(), before);
}

TEST (AllOrNothing, AFailedWriteOrACutOffInputLeavesEarlierOutputsAsTheyWere)
{
    const TemporaryDirectory dir;
    writeAudioFile (dir / "a.wav", makeNoiseBursts (1, 96000, 0.3f, 1), rate, 24);
    writeAudioFile (dir / "b.wav", makeNoiseBursts (1, 96000, 0.05f, 2), rate, 24);

    // A copy of a.wav whose data stops halfway, though its header promises all of it.
    juce::MemoryBlock whole;
    (dir / "a.wav").loadFileAsData (whole);
    (dir / "cut.wav").replaceWithData (whole.getData(), whole.getSize() / 2);

    const juce::StringArray first { "--out", path (dir, "out"), path (dir, "a.wav"), path (dir, "b.wav") };
    ASSERT_EQ (runRenderToolWithPlugin (first, dir.get()).exitCode, 0);
    const auto before = dir.snapshot();

    struct Fault
    {
        const char* name;
        juce::StringArray arguments;
        long fileSizeLimit;
        const char* expectedMessage;
    };

    const Fault faults[] {
        // Each output is ~288 kB; gains.csv and the first blocks fit, the rest does not.
        { "file-size limit", { "--force", "--set", "threshold=-30", "--out", path (dir, "out"), path (dir, "a.wav"), path (dir, "b.wav") },
          100000, "the disk may be full or the file too large" },
        { "cut-off input", { "--force", "--out", path (dir, "out"), path (dir, "b.wav"), path (dir, "cut.wav") },
          0, "cut.wav: the file ends before its audio data does" },
        { "cut-off input, new directory", { "--out", path (dir, "fresh"), path (dir, "b.wav"), path (dir, "cut.wav") },
          0, "the file ends before its audio data does" },
    };

    for (const auto& fault : faults)
    {
        SCOPED_TRACE (fault.name);
        const auto run = fault.fileSizeLimit > 0 ? runRenderToolWithFileSizeLimit (fault.arguments, dir.get(), fault.fileSizeLimit)
                                                 : runRenderToolWithPlugin (fault.arguments, dir.get());
        EXPECT_EQ (run.exitCode, 1);
        EXPECT_TRUE (run.err.startsWith ("hestrel-render: error: ")) << run.err;
        EXPECT_TRUE (run.err.contains (fault.expectedMessage)) << run.err;
        EXPECT_FALSE (run.err.containsChar ('\n')) << run.err;
        EXPECT_TRUE (run.out.isEmpty()) << run.out;
        EXPECT_EQ (dir.snapshot(), before) << "a failed run changed the directory";
    }
}
