#include "QualityMeasures.h"

#include <cmath>

juce::AudioBuffer<float> MicComponents::makeMix() const
{
    juce::AudioBuffer<float> mix (direct);

    for (int ch = 0; ch < mix.getNumChannels(); ++ch)
    {
        mix.addFrom (ch, 0, bleed, juce::jmin (ch, bleed.getNumChannels() - 1), 0, juce::jmin (mix.getNumSamples(), bleed.getNumSamples()));
        mix.addFrom (ch, 0, noise, juce::jmin (ch, noise.getNumChannels() - 1), 0, juce::jmin (mix.getNumSamples(), noise.getNumSamples()));
    }

    return mix;
}

ComponentEnergies& ComponentEnergies::operator+= (const ComponentEnergies& other) noexcept
{
    directIn += other.directIn;
    directOut += other.directOut;
    bleedIn += other.bleedIn;
    bleedOut += other.bleedOut;
    onsetIn += other.onsetIn;
    onsetOut += other.onsetOut;
    return *this;
}

namespace
{
    /** Energy of a buffer over a range of samples, before and after the gain. */
    void addEnergies (const juce::AudioBuffer<float>& audio, const std::vector<float>& gain,
                      int start, int end, double& in, double& out)
    {
        end = juce::jmin (end, audio.getNumSamples(), (int) gain.size());

        for (int ch = 0; ch < audio.getNumChannels(); ++ch)
        {
            const auto* samples = audio.getReadPointer (ch);

            for (int i = juce::jmax (0, start); i < end; ++i)
            {
                const auto x = (double) samples[i];
                const auto y = x * (double) gain[(size_t) i];
                in += x * x;
                out += y * y;
            }
        }
    }
}

ComponentEnergies measureEnergies (const MicComponents& mic, const std::vector<float>& gain)
{
    ComponentEnergies energies;
    const auto length = mic.getNumSamples();
    addEnergies (mic.direct, gain, 0, length, energies.directIn, energies.directOut);
    addEnergies (mic.bleed, gain, 0, length, energies.bleedIn, energies.bleedOut);

    const auto onsetLength = juce::roundToInt (onsetSeconds * mic.sampleRate);

    for (const auto& turn : mic.ownTurns)
        addEnergies (mic.direct, gain, turn.getStart(), juce::jmin (turn.getEnd(), turn.getStart() + onsetLength),
                     energies.onsetIn, energies.onsetOut);

    return energies;
}

double energyRatioDb (double numerator, double denominator) noexcept
{
    if (numerator <= 0.0 && denominator <= 0.0)
        return 0.0;

    if (numerator <= 0.0)
        return -300.0;

    if (denominator <= 0.0)
        return 300.0;

    return juce::jlimit (-300.0, 300.0, 10.0 * std::log10 (numerator / denominator));
}

QualityFigures computeFigures (const ComponentEnergies& e) noexcept
{
    QualityFigures figures;
    figures.bleedReductionDb = energyRatioDb (e.bleedIn, e.bleedOut);
    figures.directKeptDb = energyRatioDb (e.directOut, e.directIn);
    figures.onsetKeptDb = energyRatioDb (e.onsetOut, e.onsetIn);
    figures.signalToBleedImprovementDb = energyRatioDb (e.directOut, e.bleedOut) - energyRatioDb (e.directIn, e.bleedIn);
    return figures;
}
