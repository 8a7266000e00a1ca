#include "RenderTestSupport.h"

#include <HestrelBundle.h>

#include <gtest/gtest.h>

namespace
{
    /** One way to get the command wrong, with what the error must say. */
    struct ErrorCase
    {
        const char* name;
        std::function<juce::StringArray (const TemporaryDirectory&)> arguments;
        const char* expectedMessage;
        bool withPlugin = true;
        int expectedExitCode = 1;
    };

    /** Two good one-second mono tracks at 48 kHz, plus the odd files the cases need. */
    void writeFixtures (const TemporaryDirectory& dir)
    {
        writeAudioFile (dir / "a.wav", makeNoiseBursts (1, 48000, 0.3f, 1), 48000.0, 24);
        writeAudioFile (dir / "b.wav", makeNoiseBursts (1, 48000, 0.05f, 2), 48000.0, 24);
        writeAudioFile (dir / "c44.wav", makeNoiseBursts (1, 44100, 0.05f, 3), 44100.0, 24);
        writeAudioFile (dir / "surround.wav", makeNoiseBursts (3, 4800, 0.1f, 4), 48000.0, 16);
        (dir / "notes.txt").replaceWithText ("not audio at all\n");
        // A WAV cut off inside its header.
        const juce::MemoryBlock whole = [&] { juce::MemoryBlock m; (dir / "a.wav").loadFileAsData (m); return m; }();
        (dir / "damaged.wav").replaceWithData (whole.getData(), 20);
        (dir / "folder.wav").createDirectory();

        // A bundle with the right shape whose library is not a library.
        const auto fake = dir / "Broken.vst3";
        const auto library = HestrelHost::getBundleLibrary (fake);
        library.getParentDirectory().createDirectory();
        library.replaceWithText ("not a shared object");
    }

    const ErrorCase errorCases[] {
        { "MissingFile", [] (auto& d) { return juce::StringArray { "--out", path (d, "out"), path (d, "a.wav"), path (d, "nothere.wav") }; },
          "no such file" },
        { "DirectoryInsteadOfFile", [] (auto& d) { return juce::StringArray { "--out", path (d, "out"), path (d, "a.wav"), path (d, "folder.wav") }; },
          "it is a directory" },
        { "DamagedWav", [] (auto& d) { return juce::StringArray { "--out", path (d, "out"), path (d, "damaged.wav"), path (d, "a.wav") }; },
          "not a supported audio file" },
        { "UnsupportedFormat", [] (auto& d) { return juce::StringArray { "--out", path (d, "out"), path (d, "a.wav"), path (d, "notes.txt") }; },
          "not a supported audio file" },
        { "ThreeChannels", [] (auto& d) { return juce::StringArray { "--out", path (d, "out"), path (d, "surround.wav") }; },
          "must be mono or stereo (--split takes one track per channel)" },
        { "MixOverAnInput", [] (auto& d) { return juce::StringArray { "--out", path (d, "out"), "--mix", path (d, "b.wav"), path (d, "a.wav"), path (d, "b.wav") }; },
          "refusing to write the mix over the input" },
        { "MixIsAlsoATrackOutput", [] (auto& d) { return juce::StringArray { "--out", d.get().getFullPathName(), "--mix", path (d, "a-hestrel.wav"), path (d, "a.wav"), path (d, "b.wav") }; },
          "is also one of the render's outputs" },
        { "MixInAMissingDirectory", [] (auto& d) { return juce::StringArray { "--out", path (d, "out"), "--mix", path (d, "nowhere/mix.wav"), path (d, "a.wav") }; },
          "does not exist" },
        { "MismatchedSampleRates", [] (auto& d) { return juce::StringArray { "--out", path (d, "out"), path (d, "a.wav"), path (d, "c44.wav") }; },
          "sample rates differ" },
        { "UnknownParameterID", [] (auto& d) { return juce::StringArray { "--out", path (d, "out"), "--set", "volume=3", path (d, "a.wav"), path (d, "b.wav") }; },
          "unknown parameter ID \"volume\"" },
        { "DisplayNameIsNotAnID", [] (auto& d) { return juce::StringArray { "--out", path (d, "out"), "--set", "Noise Floor=-40", path (d, "a.wav") }; },
          "unknown parameter ID" },
        { "ValueNotANumber", [] (auto& d) { return juce::StringArray { "--out", path (d, "out"), "--set", "threshold=loud", path (d, "a.wav"), path (d, "b.wav") }; },
          "is not a number: \"loud\"" },
        { "ValueNaN", [] (auto& d) { return juce::StringArray { "--out", path (d, "out"), "--set-track", "2:weight=nan", path (d, "a.wav"), path (d, "b.wav") }; },
          "is not a number" },
        { "TrackIndexAboveRange", [] (auto& d) { return juce::StringArray { "--out", path (d, "out"), "--set-track", "3:threshold=-40", path (d, "a.wav"), path (d, "b.wav") }; },
          "track 3 is out of range", true, 2 },
        { "TrackIndexZero", [] (auto& d) { return juce::StringArray { "--out", path (d, "out"), "--set-track", "0:threshold=-40", path (d, "a.wav") }; },
          "track numbers start at 1", true, 2 },
        { "PluginMissing", [] (auto& d) { return juce::StringArray { "--plugin", path (d, "Nowhere.vst3"), "--out", path (d, "out"), path (d, "a.wav") }; },
          "plug-in not found", false },
        { "PluginFailsToLoad", [] (auto& d) { return juce::StringArray { "--plugin", path (d, "Broken.vst3"), "--out", path (d, "out"), path (d, "a.wav") }; },
          "the plug-in failed to load", false },
        { "NoInputs", [] (auto& d) { return juce::StringArray { "--out", path (d, "out") }; },
          "no input tracks", true, 2 },
        { "UnknownOption", [] (auto& d) { return juce::StringArray { "--out", path (d, "out"), "--fast", path (d, "a.wav") }; },
          "unknown option --fast", true, 2 },
        { "BadBlockSize", [] (auto& d) { return juce::StringArray { "--out", path (d, "out"), "--block", "0", path (d, "a.wav") }; },
          "--block must be a whole number", true, 2 },
        { "OutIsAFile", [] (auto& d) { return juce::StringArray { "--out", path (d, "notes.txt"), path (d, "a.wav") }; },
          "it is a file, not a directory" },
    };

    class CommandLineErrors : public testing::TestWithParam<ErrorCase> {};
}

TEST_P (CommandLineErrors, FailWithOneClearLineAndWriteNothing)
{
    const TemporaryDirectory dir;
    writeFixtures (dir);
    const auto before = dir.snapshot();

    const auto& errorCase = GetParam();
    const auto arguments = errorCase.arguments (dir);
    const auto run = errorCase.withPlugin ? runRenderToolWithPlugin (arguments, dir.get())
                                          : runRenderTool (arguments, dir.get());

    EXPECT_EQ (run.exitCode, errorCase.expectedExitCode) << run.err;
    EXPECT_TRUE (run.err.startsWith ("hestrel-render: error: ")) << run.err;
    EXPECT_TRUE (run.err.contains (errorCase.expectedMessage)) << run.err;
    EXPECT_FALSE (run.err.trim().containsChar ('\n')) << "more than one line:\n" << run.err;
    EXPECT_TRUE (run.out.isEmpty()) << run.out;
    EXPECT_EQ (dir.snapshot(), before) << "the failed run changed the directory";
}

INSTANTIATE_TEST_SUITE_P (EachCase, CommandLineErrors, testing::ValuesIn (errorCases),
                          [] (const auto& caseInfo) { return std::string (caseInfo.param.name); });
