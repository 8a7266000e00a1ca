#include "QualityReport.h"

#include <cmath>

MethodFigures measureMethod (const juce::String& method, const std::vector<MicComponents>& mics,
                             const std::vector<std::vector<float>>& gains)
{
    jassert (mics.size() == gains.size());

    MethodFigures figures;
    figures.method = method;
    ComponentEnergies total;

    for (size_t m = 0; m < mics.size(); ++m)
    {
        const auto energies = measureEnergies (mics[m], gains[m]);
        figures.perMic.push_back (computeFigures (energies));
        total += energies;
    }

    figures.total = computeFigures (total);
    return figures;
}

NoiseGateSettings tuneNoiseGate (const MicComponents& mic, const juce::AudioBuffer<float>& mix)
{
    constexpr double allowedDirectLossDb = -1.0, allowedOnsetLossDb = -3.0;
    NoiseGateSettings best;
    best.thresholdDb = -70.0f;
    auto bestImprovement = -1.0e9;

    for (int thresholdDb = -70; thresholdDb <= -10; ++thresholdDb)
    {
        NoiseGateSettings candidate;
        candidate.thresholdDb = (float) thresholdDb;
        const auto figures = computeFigures (measureEnergies (mic, computeNoiseGateGain (mix, mic.sampleRate, candidate)));

        if (figures.directKeptDb >= allowedDirectLossDb && figures.onsetKeptDb >= allowedOnsetLossDb
            && figures.signalToBleedImprovementDb > bestImprovement)
        {
            bestImprovement = figures.signalToBleedImprovementDb;
            best = candidate;
        }
    }

    return best;
}

QualityReport buildQualityReport (const std::vector<MicComponents>& mics, const std::vector<std::vector<float>>& hestrelGains)
{
    QualityReport report;
    std::vector<std::vector<float>> unity, gate, oracle;

    for (const auto& mic : mics)
    {
        report.micNames.add (mic.name);
        const auto mix = mic.makeMix();
        const auto settings = tuneNoiseGate (mic, mix);
        report.gateSettings.push_back (settings);

        unity.emplace_back ((size_t) mic.getNumSamples(), 1.0f);
        gate.push_back (computeNoiseGateGain (mix, mic.sampleRate, settings));
        oracle.push_back (computeOracleGateGain (mic.getNumSamples(), mic.ownTurns, mic.sampleRate, settings.floorGain));
    }

    report.methods.push_back (measureMethod ("no processing", mics, unity));
    report.methods.push_back (measureMethod ("noise gate", mics, gate));
    report.methods.push_back (measureMethod ("oracle gate", mics, oracle));
    report.methods.push_back (measureMethod ("Hestrel", mics, hestrelGains));
    return report;
}

namespace
{
    juce::String decibels (double value)
    {
        // energyRatioDb's limits: one side was silent.
        if (std::abs (value) >= 300.0)
            return value > 0.0 ? "+inf" : "-inf";

        return (value > -0.05 ? "+" : "") + juce::String (std::abs (value) < 0.05 ? 0.0 : value, 1);
    }

    juce::String row (const juce::StringArray& cells)
    {
        return "| " + cells.joinIntoString (" | ") + " |\n";
    }
}

juce::String formatQualityReport (const QualityReport& report)
{
    juce::String text;
    text << row ({ "method", "mic", "bleed reduction (dB)", "direct kept (dB)", "onset kept (dB)", "signal-to-bleed improvement (dB)" });
    text << row ({ "---", "---", "---:", "---:", "---:", "---:" });

    for (const auto& method : report.methods)
    {
        for (size_t m = 0; m <= method.perMic.size(); ++m)
        {
            const auto isTotal = m == method.perMic.size();
            const auto& f = isTotal ? method.total : method.perMic[m];
            text << row ({ method.method, isTotal ? juce::String ("**total**") : report.micNames[(int) m],
                           decibels (f.bleedReductionDb), decibels (f.directKeptDb),
                           decibels (f.onsetKeptDb), decibels (f.signalToBleedImprovementDb) });
        }
    }

    juce::StringArray thresholds;

    for (size_t m = 0; m < report.gateSettings.size(); ++m)
        thresholds.add (report.micNames[(int) m] + " " + juce::String (report.gateSettings[m].thresholdDb, 0) + " dB");

    text << "\nnoise gate: sample-peak key, 1 ms attack, 100 ms hold, 200 ms release, closed = silent; threshold per mic ("
         << thresholds.joinIntoString (", ")
         << ") = the best signal-to-bleed improvement that keeps the direct signal within 1 dB and the onsets within 3 dB,"
         << " searched from -70 to -10 dB in 1 dB steps.\n"
         << "oracle gate: unity during the mic's own talker's turns, silent otherwise, 5 ms smoothing.\n"
         << "onset: the first 30 ms of each of the mic's own talker's turns.\n";
    return text;
}
