#include "RenderTestSupport.h"

#include <render/GainTrace.h>
#include <render/HostedPlugins.h>

#include <HostedParameters.h>
#include <identity/HestrelIdentity.h>

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

namespace
{
    constexpr double rate = 48000.0;

    juce::File outputOf (const juce::File& outDir, const char* inputName)
    {
        return outDir.getChildFile (juce::String (inputName) + "-hestrel.wav");
    }

    /** The gain a track settled at: the mean of y/x over its last 50 ms. */
    double settledGain (const juce::AudioBuffer<float>& in, const juce::AudioBuffer<float>& out)
    {
        const auto gain = measureAppliedGain (in, out);
        const auto from = gain.size() - 2400;
        double sum = 0.0;

        for (auto i = from; i < gain.size(); ++i)
            sum += gain[i];

        return sum / (double) (gain.size() - from);
    }

    /** Settings, and the gains that the shared-bleed rule gives two constant tracks: A at 0.5
        (mono), B at 0.05 (stereo, 20 dB down). Shares are w L / sum of w L; a track more than
        the bleed margin below the loudest is scaled by (dB below + 12 - margin) / 12.
    */
    struct SettledCase
    {
        const char* name;
        std::vector<const char*> settings;
        double gainA, gainB;
    };

    const SettledCase settledCases[] {
        { "Defaults",           {},                                    0.5 / 0.55, 0.05 / 0.55 * (4.0 / 12.0) },
        { "TrackTwoWeightedUp", { "--set-track", "2:weight=200 %" },   0.5 / 0.6,  0.1 / 0.6 * (4.0 / 12.0) },
        { "WiderBleedMargin",   { "--set", "bleedReject=-25 dB" },     0.5 / 0.55, 0.05 / 0.55 },
        { "TrackTwoFloored",    { "--set-track", "2:maxAtten=-20" },   0.5 / 0.55, 0.1 },
        { "TrackTwoBelowFloor", { "--set-track", "2:threshold=-20" },  1.0,        0.0 },
    };

    class SettledGains : public testing::TestWithParam<SettledCase> {};
}

TEST_P (SettledGains, FollowTheSharedBleedRuleThroughTheRealPlugin)
{
    const TemporaryDirectory dir;
    const auto a = makeConstant (1, 24000, 0.5f);
    const auto b = makeConstant (2, 24000, 0.05f);
    writeAudioFile (dir / "a.wav", a, rate, 32);
    writeAudioFile (dir / "b.wav", b, rate, 32);

    // Fast detector and smoothing, so half a second is long enough to settle.
    juce::StringArray arguments { "--out", (dir / "out").getFullPathName(), "--set", "rmsWindow=10", "--set", "smoothing=0.5" };
    for (const auto* setting : GetParam().settings)
        arguments.add (setting);

    arguments.addArray ({ (dir / "a.wav").getFullPathName(), (dir / "b.wav").getFullPathName() });

    const auto run = runRenderToolWithPlugin (arguments, dir.get());
    ASSERT_EQ (run.exitCode, 0) << run.err;

    EXPECT_NEAR (settledGain (a, readAudioFile (outputOf (dir / "out", "a"))), GetParam().gainA, 2.0e-3);
    EXPECT_NEAR (settledGain (b, readAudioFile (outputOf (dir / "out", "b"))), GetParam().gainB, 2.0e-4);
}

INSTANTIATE_TEST_SUITE_P (EachSetting, SettledGains, testing::ValuesIn (settledCases),
                          [] (const auto& caseInfo) { return std::string (caseInfo.param.name); });

TEST (RenderThroughPlugin, OutputIsTheInputTimesOneGainOnEveryChannel)
{
    const TemporaryDirectory dir;

    // A stereo talker with different signals left and right, and a quieter mono neighbour.
    auto talker = makeNoiseBursts (2, 36000, 0.4f, 7);
    const auto right = makeNoiseBursts (1, 36000, 0.3f, 8);
    talker.copyFrom (1, 0, right, 0, 0, right.getNumSamples());
    const auto neighbour = makeNoiseBursts (1, 36000, 0.08f, 9);
    writeAudioFile (dir / "talker.wav", talker, rate, 32);
    writeAudioFile (dir / "neighbour.wav", neighbour, rate, 32);

    const juce::StringArray arguments { "--out", (dir / "out").getFullPathName(), "--block", "256",
                                        (dir / "talker.wav").getFullPathName(), (dir / "neighbour.wav").getFullPathName() };
    const auto run = runRenderToolWithPlugin (arguments, dir.get());
    ASSERT_EQ (run.exitCode, 0) << run.err;

    const auto out = readAudioFile (outputOf (dir / "out", "talker"));
    ASSERT_EQ (out.getNumChannels(), 2);
    ASSERT_EQ (out.getNumSamples(), talker.getNumSamples());

    // The gain read from the left channel alone must explain the right channel too.
    juce::AudioBuffer<float> leftIn (1, talker.getNumSamples()), leftOut (1, out.getNumSamples());
    leftIn.copyFrom (0, 0, talker, 0, 0, talker.getNumSamples());
    leftOut.copyFrom (0, 0, out, 0, 0, out.getNumSamples());
    const auto gain = measureAppliedGain (leftIn, leftOut);

    int checked = 0;
    bool sawAttenuation = false;

    for (int i = 0; i < talker.getNumSamples(); ++i)
    {
        const auto g = gain[(size_t) i];
        ASSERT_GE (g, 0.0f) << "sample " << i;
        ASSERT_LE (g, 1.0f + 1.0e-5f) << "sample " << i;
        sawAttenuation = sawAttenuation || g < 0.9f;

        if (std::abs (talker.getSample (0, i)) > 1.0e-3f)
        {
            ASSERT_NEAR (out.getSample (1, i), talker.getSample (1, i) * g, 1.0e-5f) << "sample " << i;
            ++checked;
        }
        else if (talker.getSample (0, i) == 0.0f && talker.getSample (1, i) == 0.0f)
        {
            ASSERT_EQ (out.getSample (0, i), 0.0f);
            ASSERT_EQ (out.getSample (1, i), 0.0f);
        }
    }

    EXPECT_GT (checked, talker.getNumSamples() / 2);
    EXPECT_TRUE (sawAttenuation) << "the neighbour's share should pull the talker below unity";

    // The same command again gives the same bytes.
    const auto firstOutput = fileDigest (outputOf (dir / "out", "talker"));
    auto again = arguments;
    again.insert (0, "--force");
    ASSERT_EQ (runRenderToolWithPlugin (again, dir.get()).exitCode, 0);
    EXPECT_EQ (fileDigest (outputOf (dir / "out", "talker")), firstOutput);
}

namespace
{
    struct FormatCase
    {
        const char* fileName;
        int channels, bits, length;
    };

    const FormatCase formatCases[] {
        { "mono16.wav",    1, 16, 22050 },
        { "stereo24.wav",  2, 24, 30000 },
        { "float32.wav",   1, 32, 44100 },
        { "mono24.aiff",   1, 24, 8000 },
        { "stereo16.flac", 2, 16, 12345 },
    };
}

TEST (RenderThroughPlugin, OutputsKeepChannelsRateAndBitDepthAndLineUpAtTheLongestLength)
{
    const TemporaryDirectory dir;
    juce::StringArray arguments { "--out", (dir / "out").getFullPathName() };

    for (const auto& format : formatCases)
    {
        writeAudioFile (dir / format.fileName, makeNoiseBursts (format.channels, format.length, 0.2f, format.length),
                        44100.0, format.bits);
        arguments.add ((dir / format.fileName).getFullPathName());
    }

    const auto run = runRenderToolWithPlugin (arguments, dir.get());
    ASSERT_EQ (run.exitCode, 0) << run.err;

    for (const auto& format : formatCases)
    {
        SCOPED_TRACE (format.fileName);
        const auto output = (dir / "out").getChildFile (juce::String (format.fileName).upToLastOccurrenceOf (".", false, false) + "-hestrel.wav");
        ASSERT_TRUE (output.existsAsFile());

        double sampleRate = 0.0;
        int bits = 0;
        const auto audio = readAudioFile (output, &sampleRate, &bits);
        EXPECT_EQ (audio.getNumChannels(), format.channels);
        EXPECT_EQ (sampleRate, 44100.0);
        EXPECT_EQ (bits, format.bits);
        EXPECT_EQ (audio.getNumSamples(), 44100) << "padded to the longest track";
    }

    // One summary line per track, in order, and no progress bar when stderr is not a terminal.
    const auto lines = juce::StringArray::fromLines (run.out.trim());
    ASSERT_EQ (lines.size(), (int) std::size (formatCases) + 1);

    for (int i = 0; i < (int) std::size (formatCases); ++i)
        EXPECT_TRUE (lines[i].startsWith (juce::String (formatCases[i].fileName).upToLastOccurrenceOf (".", false, false) + ": ")) << lines[i];

    EXPECT_TRUE (lines[0].contains (", partly open ") && lines[0].contains (", closed ")) << lines[0];
    EXPECT_TRUE (run.err.isEmpty()) << run.err;
}

TEST (RenderThroughPlugin, WritesGainsCsvAndPlotAtTenMillisecondFrames)
{
    const TemporaryDirectory dir;
    writeAudioFile (dir / "host.wav", makeNoiseBursts (1, 48000, 0.3f, 11), rate, 24);
    writeAudioFile (dir / "guest.wav", makeNoiseBursts (2, 40000, 0.1f, 12), rate, 24);

    const auto run = runRenderToolWithPlugin ({ "--out", (dir / "out").getFullPathName(),
                                                (dir / "host.wav").getFullPathName(), (dir / "guest.wav").getFullPathName() },
                                              dir.get());
    ASSERT_EQ (run.exitCode, 0) << run.err;

    auto rows = juce::StringArray::fromLines ((dir / "out/gains.csv").loadFileAsString().trim());
    ASSERT_EQ (rows.size(), 1 + 100);
    EXPECT_EQ (rows[0], "time_s,host_level_db,host_gain_db,guest_level_db,guest_gain_db");
    EXPECT_TRUE (rows[1].startsWith ("0.000,"));
    EXPECT_TRUE (rows[100].startsWith ("0.990,"));

    for (int r = 1; r < rows.size(); ++r)
    {
        const auto fields = juce::StringArray::fromTokens (rows[r], ",", "");
        ASSERT_EQ (fields.size(), 5) << rows[r];

        for (int column : { 2, 4 })
            ASSERT_LE (fields[column].getDoubleValue(), 0.01) << "a gain above unity in row " << r;
    }

    const auto plot = juce::ImageFileFormat::loadFrom (dir / "out/gains.png");
    ASSERT_TRUE (plot.isValid());
    EXPECT_EQ (plot.getWidth(), 1400);
}

TEST (RenderThroughPlugin, NeverWritesOverAnInputEvenWithForce)
{
    const TemporaryDirectory dir;
    writeAudioFile (dir / "take.wav", makeNoiseBursts (1, 4800, 0.3f, 1), rate, 16);
    writeAudioFile (dir / "take-hestrel.wav", makeNoiseBursts (1, 4800, 0.1f, 2), rate, 16);
    const auto before = dir.snapshot();

    // take.wav's output would be take-hestrel.wav, which is itself an input.
    const auto run = runRenderToolWithPlugin ({ "--force", "--out", dir.get().getFullPathName(),
                                                (dir / "take.wav").getFullPathName(), (dir / "take-hestrel.wav").getFullPathName() },
                                              dir.get());
    EXPECT_EQ (run.exitCode, 1);
    EXPECT_TRUE (run.err.contains ("refusing to write over the input")) << run.err;
    EXPECT_EQ (dir.snapshot(), before);
}

TEST (RenderThroughPlugin, TwoInputsWithOneNameAreRefused)
{
    const TemporaryDirectory dir;
    (dir / "day1").createDirectory();
    (dir / "day2").createDirectory();
    writeAudioFile (dir / "day1/mic.wav", makeNoiseBursts (1, 4800, 0.3f, 1), rate, 16);
    writeAudioFile (dir / "day2/mic.wav", makeNoiseBursts (1, 4800, 0.1f, 2), rate, 16);
    const auto before = dir.snapshot();

    const auto run = runRenderToolWithPlugin ({ "--out", (dir / "out").getFullPathName(),
                                                (dir / "day1/mic.wav").getFullPathName(), (dir / "day2/mic.wav").getFullPathName() },
                                              dir.get());
    EXPECT_EQ (run.exitCode, 1);
    EXPECT_TRUE (run.err.contains ("would both be written to")) << run.err;
    EXPECT_EQ (dir.snapshot(), before);
}

TEST (RenderThroughPlugin, ReplacesEarlierOutputsOnlyWithForce)
{
    const TemporaryDirectory dir;
    writeAudioFile (dir / "a.wav", makeNoiseBursts (1, 9600, 0.3f, 1), rate, 24);
    writeAudioFile (dir / "b.wav", makeNoiseBursts (1, 9600, 0.1f, 2), rate, 24);

    // Relative paths, and the default output directory ./hestrel-out.
    const juce::StringArray arguments { "a.wav", "b.wav" };
    ASSERT_EQ (runRenderToolWithPlugin (arguments, dir.get()).exitCode, 0);
    ASSERT_TRUE ((dir / "hestrel-out/a-hestrel.wav").existsAsFile());

    // Something of the user's now sits where an output goes.
    (dir / "hestrel-out/gains.csv").replaceWithText ("my notes\n");
    const auto before = dir.snapshot();

    const auto refused = runRenderToolWithPlugin (arguments, dir.get());
    EXPECT_EQ (refused.exitCode, 1);
    EXPECT_TRUE (refused.err.contains ("already exists (use --force to replace it)")) << refused.err;
    EXPECT_EQ (dir.snapshot(), before);

    auto forced = arguments;
    forced.insert (0, "--force");
    EXPECT_EQ (runRenderToolWithPlugin (forced, dir.get()).exitCode, 0);
    EXPECT_TRUE ((dir / "hestrel-out/gains.csv").loadFileAsString().startsWith ("time_s,"));
}

TEST (RenderThroughPlugin, TracksBeyondSixteenPassUnchangedAfterAWarning)
{
    const TemporaryDirectory dir;
    juce::StringArray arguments { "--out", (dir / "out").getFullPathName() };

    for (int t = 1; t <= 17; ++t)
    {
        const auto name = "t" + juce::String (t).paddedLeft ('0', 2) + ".wav";
        writeAudioFile (dir / name, makeNoiseBursts (1, 4800, t == 1 ? 0.5f : 0.02f, t), rate, 32);
        arguments.add ((dir / name).getFullPathName());
    }

    const auto run = runRenderToolWithPlugin (arguments, dir.get());
    ASSERT_EQ (run.exitCode, 0) << run.err;
    EXPECT_TRUE (run.err.startsWith ("hestrel-render: warning:")) << run.err;
    EXPECT_TRUE (run.err.contains ("tracks 17 and up")) << run.err;

    const auto in17 = readAudioFile (dir / "t17.wav");
    const auto out17 = readAudioFile (outputOf (dir / "out", "t17"));
    const auto out16 = readAudioFile (outputOf (dir / "out", "t16"));
    const auto in16 = readAudioFile (dir / "t16.wav");

    ASSERT_EQ (out17.getNumSamples(), in17.getNumSamples());

    for (int i = 0; i < in17.getNumSamples(); ++i)
        ASSERT_EQ (out17.getSample (0, i), in17.getSample (0, i)) << "track 17 must pass unchanged; sample " << i;

    // Track 16 still has a slot, and sits far below track 1: it is turned down.
    EXPECT_LT (settledGain (in16, out16), 0.1);
}

TEST (HostedPluginsInProcess, FindsEveryParameterByItsIDAndSetsOnlyTheTracksAsked)
{
    HostedPlugins plugins;
    ASSERT_TRUE (plugins.load (RenderTestPaths::plugin, 2, rate, 512).wasOk());

    for (int t = 0; t < plugins.size(); ++t)
        for (const auto& name : hestrelParameters)
        {
            auto* parameter = HestrelHost::findParameter (plugins[t], name.parameterID);
            ASSERT_NE (parameter, nullptr) << name.parameterID;
            EXPECT_EQ (parameter->getName (100), name.displayName);
        }

    EXPECT_EQ (HestrelHost::findParameter (plugins[0], ParameterNames::threshold), nullptr) << "display names are not IDs";

    juce::Array<ParameterSetting> settings;
    settings.add ({ -1, ParameterIDs::threshold, "-45" });
    settings.add ({ 1, ParameterIDs::threshold, "-30 dB" });
    settings.add ({ 1, ParameterIDs::maxAtten, "-inf" });
    ASSERT_TRUE (plugins.applySettings (settings).wasOk());

    EXPECT_EQ (HestrelHost::getParameterText (plugins[0], ParameterIDs::threshold), "-45.0 dB");
    EXPECT_EQ (HestrelHost::getParameterText (plugins[1], ParameterIDs::threshold), "-30.0 dB");
    EXPECT_EQ (HestrelHost::getParameterText (plugins[0], ParameterIDs::maxAtten), "-inf");
    EXPECT_EQ (HestrelHost::getParameterText (plugins[1], ParameterIDs::maxAtten), "-inf");

    // A bad setting anywhere in the list changes nothing, not even the good ones before it.
    juce::Array<ParameterSetting> bad;
    bad.add ({ -1, ParameterIDs::threshold, "-20" });
    bad.add ({ 0, ParameterIDs::weight, "heavy" });
    EXPECT_TRUE (plugins.applySettings (bad).failed());
    EXPECT_EQ (HestrelHost::getParameterText (plugins[0], ParameterIDs::threshold), "-45.0 dB");
}
