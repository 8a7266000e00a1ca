#include "TrackSummary.h"

TrackSummary summariseTrack (const GainFrames& frames, float noiseFloorDb)
{
    TrackSummary summary;
    const auto floorLevel = std::pow (10.0f, noiseFloorDb / 20.0f);
    const auto minus20Db = 0.1f;
    double sumOfGains = 0.0;
    size_t framesAbove = 0, framesBelowMinus20 = 0;

    for (size_t f = 0; f < frames.size(); ++f)
    {
        if (frames.level[f] > floorLevel)
        {
            sumOfGains += frames.gain[f];
            ++framesAbove;
        }

        if (frames.gain[f] < minus20Db)
            ++framesBelowMinus20;
    }

    summary.anyAboveFloor = framesAbove > 0;
    summary.meanGainAboveFloorDb = framesAbove > 0 ? amplitudeToDecibels ((float) (sumOfGains / (double) framesAbove)) : 0.0f;
    summary.secondsBelowMinus20Db = (double) framesBelowMinus20 * frames.frameSeconds;
    summary.fractionBelowMinus20Db = frames.size() > 0 ? (double) framesBelowMinus20 / (double) frames.size() : 0.0;
    return summary;
}

juce::String formatTrackSummary (const juce::String& name, const TrackSummary& summary, float noiseFloorDb)
{
    const auto mean = summary.anyAboveFloor ? "mean gain " + juce::String (summary.meanGainAboveFloorDb, 1) + " dB while above its noise floor"
                                            : juce::String ("never above its noise floor");

    return name + ": " + mean + " (" + juce::String (noiseFloorDb, 1) + " dB), "
           + juce::String (summary.secondsBelowMinus20Db, 1) + " s ("
           + juce::String (juce::roundToInt (summary.fractionBelowMinus20Db * 100.0)) + " %) below -20 dB";
}
