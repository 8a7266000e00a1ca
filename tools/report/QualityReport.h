#pragma once

#include "QualityMeasures.h"
#include "ReferenceGates.h"

#include <juce_core/juce_core.h>

/** The figures of one way of processing the session, per mic and over all mics. */
struct MethodFigures
{
    juce::String method;
    std::vector<QualityFigures> perMic;
    QualityFigures total;
};

/** The quality report: the four methods side by side, and how the noise gate was tuned. */
struct QualityReport
{
    juce::StringArray micNames;
    std::vector<MethodFigures> methods;
    std::vector<NoiseGateSettings> gateSettings;
};

/** The figures of a set of per-mic gains. */
MethodFigures measureMethod (const juce::String& method, const std::vector<MicComponents>& mics,
                             const std::vector<std::vector<float>>& gains);

/** The noise gate tuned for one mic: of the thresholds from -70 to -10 dB in 1 dB steps, the one
    with the best signal-to-bleed improvement among those that keep the direct signal within
    1 dB and the onsets within 3 dB, as a user tuning by ear would (the lowest threshold if
    none does).
*/
NoiseGateSettings tuneNoiseGate (const MicComponents& mic, const juce::AudioBuffer<float>& mix);

/** Builds the report from the session and the gains that Hestrel applied to each mic. */
QualityReport buildQualityReport (const std::vector<MicComponents>& mics, const std::vector<std::vector<float>>& hestrelGains);

/** The report as a markdown table, with a line on the gate's tuning. */
juce::String formatQualityReport (const QualityReport&);
