#include "PluginProcessor.h"

#include <gtest/gtest.h>

TEST (ProcessorShell, AcceptsOnlyMatchingMonoOrStereo)
{
    ZIDodavAzaviduroProcessor p;
    using Set = juce::AudioChannelSet;

    const struct { const char* name; juce::Array<Set> in, out; bool accepted; } cases[] = {
        { "mono to mono",     { Set::mono() },          { Set::mono() },          true },
        { "stereo to stereo", { Set::stereo() },        { Set::stereo() },        true },
        { "mono to stereo",   { Set::mono() },          { Set::stereo() },        false },
        { "stereo to mono",   { Set::stereo() },        { Set::mono() },          false },
        { "5.1 to 5.1",       { Set::create5point1() }, { Set::create5point1() }, false },
        { "LCR to LCR",       { Set::createLCR() },     { Set::createLCR() },     false },
        { "both disabled",    { Set::disabled() },      { Set::disabled() },      false },
        { "input disabled",   { Set::disabled() },      { Set::stereo() },        false },
        { "no buses at all",  {},                       {},                       false },
    };

    for (const auto& c : cases)
    {
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses = c.in;
        layout.outputBuses = c.out;
        EXPECT_EQ (p.checkBusesLayoutSupported (layout), c.accepted) << c.name;
    }

    EXPECT_EQ (p.getTotalNumInputChannels(), 2);
    EXPECT_EQ (p.getBus (true, 0)->getName(), "Input");
    EXPECT_EQ (p.getBus (false, 0)->getName(), "Output");
}

TEST (ProcessorShell, IdentityProgramsAndTail)
{
    ZIDodavAzaviduroProcessor p;

    EXPECT_EQ (p.getName(), "Hestrel");
    EXPECT_EQ (p.getTailLengthSeconds(), 0.0);
    EXPECT_FALSE (p.acceptsMidi());
    EXPECT_FALSE (p.producesMidi());
    EXPECT_FALSE (p.isMidiEffect());
    EXPECT_TRUE (p.hasEditor());
    EXPECT_FALSE (p.supportsDoublePrecisionProcessing());
    EXPECT_EQ (p.getLatencySamples(), 0);

    for (int index : { -1, 0, 5, 1000 })
    {
        p.setCurrentProgram (index);
        p.changeProgramName (index, "renamed");
        EXPECT_EQ (p.getProgramName (index), "");
        EXPECT_EQ (p.getNumPrograms(), 1);
        EXPECT_EQ (p.getCurrentProgram(), 0);
    }
}
