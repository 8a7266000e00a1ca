#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

/** One mic of a session, split into what it carries: its own talker, the other talkers' bleed
    and the room noise, with the sample ranges of its own talker's turns.
*/
struct MicComponents
{
    juce::String name;
    juce::AudioBuffer<float> direct, bleed, noise;
    std::vector<juce::Range<int>> ownTurns;
    double sampleRate = 48000.0;

    int getNumSamples() const noexcept    { return direct.getNumSamples(); }

    /** The mic's signal as recorded: the sum of the three components. */
    juce::AudioBuffer<float> makeMix() const;
};

/** Energies of the components before and after a gain, the sums the figures come from. They
    add up across mics for the total.
*/
struct ComponentEnergies
{
    double directIn = 0.0, directOut = 0.0;
    double bleedIn = 0.0, bleedOut = 0.0;
    double onsetIn = 0.0, onsetOut = 0.0;

    ComponentEnergies& operator+= (const ComponentEnergies&) noexcept;
};

/** The four figures of the quality report, in dB. */
struct QualityFigures
{
    /** Bleed energy in over bleed energy after the gain: higher is better. */
    double bleedReductionDb = 0.0;

    /** Own-talker energy after the gain over before: 0 is best. */
    double directKeptDb = 0.0;

    /** The same over the first 30 ms of each of the own talker's turns: 0 is best. */
    double onsetKeptDb = 0.0;

    /** Signal-to-bleed ratio after the gain minus before. */
    double signalToBleedImprovementDb = 0.0;
};

/** How long a turn's onset counts, in seconds. */
inline constexpr double onsetSeconds = 0.030;

/** Sums the energies of a mic's components before and after a per-sample gain (one value per
    sample, the same on every channel).
*/
ComponentEnergies measureEnergies (const MicComponents& mic, const std::vector<float>& gain);

/** Turns energies into the report's figures. */
QualityFigures computeFigures (const ComponentEnergies&) noexcept;

/** 10 log10 of a ratio of energies, with silence on either side held at -300 / +300 dB. */
double energyRatioDb (double numerator, double denominator) noexcept;
