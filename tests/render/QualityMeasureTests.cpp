#include "RenderTestSupport.h"

#include <render/GainFrames.h>
#include <render/GainPlot.h>
#include <render/GainTrace.h>
#include <render/ProgressBar.h>
#include <render/TrackSummary.h>
#include <report/QualityReport.h>
#include <report/ReferenceGates.h>
#include <report/SessionComponents.h>

#include <gtest/gtest.h>

#include <cmath>

namespace
{
    constexpr double rate = 48000.0;
    constexpr int second = 48000;

    double db (double energyRatio)    { return 10.0 * std::log10 (energyRatio); }

    /** A mic whose own talker is a constant 0.5 during [turnStart, turnEnd) and whose bleed is a
        constant 0.05 everywhere else, with no noise.
    */
    MicComponents makeMic (const char* name, int length, int turnStart, int turnEnd)
    {
        MicComponents mic;
        mic.name = name;
        mic.sampleRate = rate;
        mic.direct.setSize (1, length);
        mic.bleed.setSize (1, length);
        mic.noise.setSize (1, length);
        mic.direct.clear();
        mic.bleed.clear();
        mic.noise.clear();

        for (int i = 0; i < length; ++i)
        {
            if (i >= turnStart && i < turnEnd)
                mic.direct.setSample (0, i, 0.5f);
            else
                mic.bleed.setSample (0, i, 0.05f);
        }

        mic.ownTurns = { { turnStart, turnEnd } };
        return mic;
    }

    std::vector<float> stepGain (int length, int switchAt, float before, float after)
    {
        std::vector<float> gain ((size_t) length, after);
        std::fill (gain.begin(), gain.begin() + switchAt, before);
        return gain;
    }
}

TEST (QualityMeasures, TwoConstantMicsGiveTheClosedFormFigures)
{
    // mic1 talks in the first half, mic2 in the second; each is bleed the rest of the time.
    const std::vector<MicComponents> mics { makeMic ("mic1", second, 0, second / 2),
                                            makeMic ("mic2", second, second / 2, second) };

    // mic1: unity while talking, -20 dB otherwise. mic2: -6 dB while talking, -40 dB otherwise.
    const std::vector<std::vector<float>> gains { stepGain (second, second / 2, 1.0f, 0.1f),
                                                  stepGain (second, second / 2, 0.01f, 0.5f) };

    const auto figures = measureMethod ("test", mics, gains);
    ASSERT_EQ (figures.perMic.size(), 2u);

    EXPECT_NEAR (figures.perMic[0].bleedReductionDb, 20.0, 1.0e-6);
    EXPECT_NEAR (figures.perMic[0].directKeptDb, 0.0, 1.0e-9);
    EXPECT_NEAR (figures.perMic[0].onsetKeptDb, 0.0, 1.0e-9);
    EXPECT_NEAR (figures.perMic[0].signalToBleedImprovementDb, 20.0, 1.0e-6);

    EXPECT_NEAR (figures.perMic[1].bleedReductionDb, 40.0, 1.0e-5);
    EXPECT_NEAR (figures.perMic[1].directKeptDb, db (0.25), 1.0e-6);
    EXPECT_NEAR (figures.perMic[1].onsetKeptDb, db (0.25), 1.0e-6);
    EXPECT_NEAR (figures.perMic[1].signalToBleedImprovementDb, 40.0 + db (0.25), 1.0e-5);

    // The total adds energies, not decibels: equal bleed energies at 0.01 and 0.0001 of their
    // input, equal direct energies at 1 and 0.25.
    EXPECT_NEAR (figures.total.bleedReductionDb, db (2.0 / (0.01 + 0.0001)), 1.0e-5);
    EXPECT_NEAR (figures.total.directKeptDb, db (1.25 / 2.0), 1.0e-6);
    EXPECT_NEAR (figures.total.signalToBleedImprovementDb, db (1.25 / 2.0) + db (2.0 / (0.01 + 0.0001)), 1.0e-5);
}

TEST (QualityMeasures, OnsetCountsOnlyTheFirstThirtyMillisecondsOfEachOwnTurn)
{
    // Two turns; the gain is shut for the first 15 ms of each and open after.
    auto mic = makeMic ("mic", second, 0, 0);
    const std::vector<juce::Range<int>> turns { { 4800, 14400 }, { 24000, 33600 } };
    mic.ownTurns = turns;
    mic.direct.clear();

    std::vector<float> gain ((size_t) second, 1.0f);

    for (const auto& turn : turns)
    {
        for (int i = turn.getStart(); i < turn.getEnd(); ++i)
            mic.direct.setSample (0, i, 0.5f);

        std::fill (gain.begin() + turn.getStart(), gain.begin() + turn.getStart() + 720, 0.0f);
    }

    const auto figures = computeFigures (measureEnergies (mic, gain));
    EXPECT_NEAR (figures.onsetKeptDb, db (0.5), 1.0e-6);
    EXPECT_NEAR (figures.directKeptDb, db ((9600.0 - 720.0) / 9600.0), 1.0e-6);
}

TEST (QualityMeasures, SilenceOnEitherSideIsHeldAtTheLimits)
{
    EXPECT_EQ (energyRatioDb (0.0, 0.0), 0.0);
    EXPECT_EQ (energyRatioDb (1.0, 0.0), 300.0);
    EXPECT_EQ (energyRatioDb (0.0, 1.0), -300.0);
    EXPECT_NEAR (energyRatioDb (100.0, 1.0), 20.0, 1.0e-12);
}

TEST (GainTrace, ReadsOutputOverInputAndHoldsAcrossTinySamples)
{
    struct Sample { float in, out, expectedGain; };
    const Sample samples[] {
        { 0.0f,    0.0f,     1.0f },    // unity until something can be read
        { 0.5f,    0.25f,    0.5f },
        { 1.0e-8f, 0.0f,     0.5f },    // tiny: held
        { -0.2f,   -0.02f,   0.1f },
        { 0.0f,    0.0f,     0.1f },
        { 0.4f,    0.4f,     1.0f },
    };

    juce::AudioBuffer<float> in (1, (int) std::size (samples)), out (1, (int) std::size (samples));

    for (int i = 0; i < (int) std::size (samples); ++i)
    {
        in.setSample (0, i, samples[i].in);
        out.setSample (0, i, samples[i].out);
    }

    const auto gain = measureAppliedGain (in, out);

    for (int i = 0; i < (int) std::size (samples); ++i)
        EXPECT_NEAR (gain[(size_t) i], samples[i].expectedGain, 1.0e-6f) << "sample " << i;
}

TEST (GainTrace, TheLouderChannelDecides)
{
    juce::AudioBuffer<float> in (2, 1), out (2, 1);
    in.setSample (0, 0, 1.0e-7f);   // left nearly silent, and its ratio would be wrong
    out.setSample (0, 0, 1.0e-7f);
    in.setSample (1, 0, 0.8f);
    out.setSample (1, 0, 0.2f);
    EXPECT_NEAR (measureAppliedGain (in, out)[0], 0.25f, 1.0e-6f);
}

TEST (ReferenceGates, OracleGateFollowsTheTurnsThroughAFiveMillisecondSmoother)
{
    const std::vector<juce::Range<int>> turns { { 4800, 9600 } };
    const auto gain = computeOracleGateGain (19200, turns, rate, 0.0f, 5.0f);

    EXPECT_EQ (gain[4799], 0.0f);
    // One time constant (240 samples at 48 kHz) after the turn starts: 1 - 1/e.
    EXPECT_NEAR (gain[4800 + 239], 1.0 - std::exp (-1.0), 1.0e-3);
    EXPECT_NEAR (gain[9599], 1.0f, 1.0e-4f);
    // And 1/e one time constant after it ends.
    EXPECT_NEAR (gain[9600 + 239], std::exp (-1.0), 1.0e-3);

    // With a floor the gate never closes below it.
    const auto floored = computeOracleGateGain (19200, turns, rate, 0.1f, 5.0f);
    EXPECT_FLOAT_EQ (floored[100], 0.1f);
    EXPECT_NEAR (floored.back(), 0.1f, 1.0e-6f);
}

TEST (ReferenceGates, NoiseGateAttacksHoldsThenReleases)
{
    // 10 ms above the threshold, then silence.
    juce::AudioBuffer<float> input (1, second);
    input.clear();

    for (int i = 0; i < 480; ++i)
        input.setSample (0, i, 0.5f);

    NoiseGateSettings settings;
    settings.thresholdDb = -20.0f;
    const auto gain = computeNoiseGateGain (input, rate, settings);

    // 1 ms attack: 1 - 1/e after 48 samples.
    EXPECT_NEAR (gain[47], 1.0 - std::exp (-1.0), 1.0e-3);
    // Held open for 100 ms (4800 samples) after the last sample above the threshold (479)...
    EXPECT_NEAR (gain[479 + 4799], 1.0f, 1.0e-4f);
    EXPECT_LT (gain[479 + 4800], gain[479 + 4799]);
    // ...then a 200 ms release: 1/e one time constant later.
    EXPECT_NEAR (gain[479 + 4799 + 9600], std::exp (-1.0), 2.0e-3);

    // A signal that never crosses the threshold never opens the gate.
    juce::AudioBuffer<float> quiet (1, 4800);
    for (int i = 0; i < 4800; ++i)
        quiet.setSample (0, i, 0.05f);

    const auto closed = computeNoiseGateGain (quiet, rate, settings);
    EXPECT_EQ (*std::max_element (closed.begin(), closed.end()), 0.0f);
}

TEST (ReferenceGates, TunedGateKeepsTheDirectSignalAndShutsTheBleed)
{
    // Direct at 0.5 in its turn, bleed at 0.05 (-20 dB) elsewhere: any threshold between the
    // two gives the most bleed reduction, and the tuning must find one.
    const auto mic = makeMic ("mic", second, second / 4, second / 2);
    const auto settings = tuneNoiseGate (mic, mic.makeMix());

    EXPECT_GT (settings.thresholdDb, 20.0f * std::log10 (0.05f));
    EXPECT_LT (settings.thresholdDb, 20.0f * std::log10 (0.5f));

    const auto figures = computeFigures (measureEnergies (mic, computeNoiseGateGain (mic.makeMix(), rate, settings)));
    EXPECT_GE (figures.directKeptDb, -1.0);
    EXPECT_GT (figures.bleedReductionDb, 5.0);
}

TEST (SessionTurns, ParsesTurnsPerMicAndRefusesMalformedLines)
{
    std::vector<std::vector<juce::Range<int>>> turns;
    ASSERT_TRUE (parseTurns ("mic,start_s,end_s\n1,0.5,1.0\n2,1.0,2.0\n1,2.5,3.0\n", rate, turns).wasOk());
    ASSERT_EQ (turns.size(), 2u);
    ASSERT_EQ (turns[0].size(), 2u);
    EXPECT_EQ (turns[0][1], juce::Range<int> (120000, 144000));
    EXPECT_EQ (turns[1][0], juce::Range<int> (48000, 96000));

    EXPECT_TRUE (parseTurns ("mic,start_s,end_s\n1,0.5\n", rate, turns).failed());
    EXPECT_TRUE (parseTurns ("mic,start_s,end_s\n0,0.5,1.0\n", rate, turns).failed());
    EXPECT_TRUE (parseTurns ("mic,start_s,end_s\n", rate, turns).failed());
}

TEST (TrackSummary, SharesOfTimeOpenPartlyOpenAndClosedAndTheMeanGainAboveTheFloor)
{
    // Five 10 ms frames: open at 1 and at just above -6 dB, partly open at 0.3, closed at
    // 0.05 (also below the -60 dB floor), and at exactly -20 dB, which is not yet closed.
    GainFrames frames;
    frames.level = { 0.5f, 0.5f, 0.01f, 1.0e-4f, 0.2f };
    frames.gain = { 1.0f, 0.502f, 0.3f, 0.05f, 0.1f };

    const auto summary = summariseTrack (frames, -60.0f);
    EXPECT_NEAR (summary.getOpenShare(), 0.4, 1.0e-9);
    EXPECT_NEAR (summary.getPartlyOpenShare(), 0.4, 1.0e-9);
    EXPECT_NEAR (summary.getClosedShare(), 0.2, 1.0e-9);
    EXPECT_NEAR (summary.getMeanGainAboveFloorDb(), 20.0 * std::log10 ((1.0 + 0.502 + 0.3 + 0.1) / 4.0), 1.0e-4);
    EXPECT_EQ (summary.format ("mic1"), "mic1: open 40 %, partly open 40 %, closed 20 %; mean gain "
                                        + juce::String (summary.getMeanGainAboveFloorDb(), 1) + " dB above its noise floor (-60.0 dB)");

    EXPECT_EQ (TrackSummary (-60.0f).format ("empty"), "empty: open 0 %, partly open 0 %, closed 0 %; never above its noise floor (-60.0 dB)");
}

TEST (ProgressBar, ShowsElapsedTimeRateAndTimeLeft)
{
    // A quarter of a one-hour session in 9 s: 100x real time, 27 s to go.
    EXPECT_EQ (ProgressBar::format (0.25, 9.0, 3600.0),
               "rendering [#######.......................]  25 %  0:09 elapsed  100x real time  0:27 left");
    EXPECT_EQ (ProgressBar::format (0.0, 0.0, 3600.0), "rendering [..............................]   0 %  0:00 elapsed");
    EXPECT_TRUE (ProgressBar::format (0.5, 3600.0, 3600.0).contains ("1:00:00 elapsed  0.5x real time  1:00:00 left"));
    EXPECT_TRUE (ProgressBar::format (0.5, 13.0, 3600.0).contains ("  138x real time  ")) << "whole numbers from 10x up";
}

TEST (GainFrames, FramesHoldTheRmsLevelAndMeanGainOfTenMilliseconds)
{
    const auto input = makeConstant (2, 1000, 0.25f);
    std::vector<float> gain (1000, 1.0f);
    std::fill (gain.begin(), gain.begin() + 240, 0.5f);

    const auto frames = makeGainFrames (input, gain, rate);
    ASSERT_EQ (frames.size(), 3u);   // 480, 480 and a short last frame of 40
    EXPECT_NEAR (frames.level[0], 0.25f, 1.0e-6f);
    EXPECT_NEAR (frames.gain[0], 0.75f, 1.0e-6f);
    EXPECT_NEAR (frames.gain[1], 1.0f, 1.0e-6f);
    EXPECT_NEAR (frames.level[2], 0.25f, 1.0e-6f);
}

TEST (GainPlotTrace, KeepsEveryFrameOfAShortSessionAndAMinMaxEnvelopeOfALongOne)
{
    GainPlotTrace shortTrace (100, 0.01);

    for (int f = 0; f < 100; ++f)
        shortTrace.add (0.1f, 1.0f);

    EXPECT_FALSE (shortTrace.isEnvelope());
    EXPECT_EQ (shortTrace.getFrames().size(), 100u);

    // 2000 s of frames: one loud frame, and a closed start.
    constexpr juce::int64 numFrames = 200000;
    GainPlotTrace longTrace (numFrames, 0.01);

    for (juce::int64 f = 0; f < numFrames; ++f)
        longTrace.add (f == 150000 ? 0.9f : 0.1f, f < 1000 ? 0.01f : 1.0f);

    ASSERT_TRUE (longTrace.isEnvelope());
    EXPECT_TRUE (longTrace.getFrames().level.empty()) << "a long session keeps no frames";
    ASSERT_EQ (longTrace.getLevelColumns().size(), (size_t) GainPlotTrace::envelopeColumns);

    const auto loudColumn = (size_t) (150000 * GainPlotTrace::envelopeColumns / numFrames);
    EXPECT_FLOAT_EQ (longTrace.getLevelColumns()[loudColumn].highest, 0.9f);
    EXPECT_FLOAT_EQ (longTrace.getLevelColumns()[loudColumn].lowest, 0.1f);
    EXPECT_FLOAT_EQ (longTrace.getLevelColumns()[loudColumn + 1].highest, 0.1f);
    EXPECT_FLOAT_EQ (longTrace.getGainColumns()[0].lowest, 0.01f);
    EXPECT_FLOAT_EQ (longTrace.getGainColumns().back().lowest, 1.0f);
    EXPECT_NEAR (longTrace.getSeconds(), 2000.0, 1.0e-6);

    const auto image = drawGainPlot ({ "long", "short" }, { longTrace, shortTrace });
    EXPECT_TRUE (image.isValid());
    EXPECT_EQ (image.getWidth(), 1400);
}
