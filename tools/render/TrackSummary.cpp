#include "TrackSummary.h"

namespace
{
    constexpr float minus6Db = 0.5011872f;
    constexpr float minus20Db = 0.1f;

    juce::String percent (double share)
    {
        return juce::String (juce::roundToInt (share * 100.0)) + " %";
    }
}

TrackSummary::TrackSummary (float floorDb)
    : noiseFloorDb (floorDb), floorLevel (std::pow (10.0f, floorDb / 20.0f))
{
}

void TrackSummary::add (float level, float gain) noexcept
{
    ++frames;

    if (level > floorLevel)
    {
        sumOfGainsAboveFloor += gain;
        ++framesAboveFloor;
    }

    if (gain >= minus6Db)
        ++framesOpen;
    else if (gain < minus20Db)
        ++framesClosed;
}

double TrackSummary::getOpenShare() const noexcept        { return frames > 0 ? (double) framesOpen / (double) frames : 0.0; }
double TrackSummary::getClosedShare() const noexcept      { return frames > 0 ? (double) framesClosed / (double) frames : 0.0; }
double TrackSummary::getPartlyOpenShare() const noexcept  { return frames > 0 ? (double) (frames - framesOpen - framesClosed) / (double) frames : 0.0; }

float TrackSummary::getMeanGainAboveFloorDb() const noexcept
{
    return framesAboveFloor > 0 ? amplitudeToDecibels ((float) (sumOfGainsAboveFloor / (double) framesAboveFloor)) : 0.0f;
}

juce::String TrackSummary::format (const juce::String& name) const
{
    const auto mean = wasEverAboveFloor() ? "mean gain " + juce::String (getMeanGainAboveFloorDb(), 1) + " dB above its noise floor"
                                          : juce::String ("never above its noise floor");

    return name + ": open " + percent (getOpenShare()) + ", partly open " + percent (getPartlyOpenShare())
           + ", closed " + percent (getClosedShare()) + "; " + mean + " (" + juce::String (noiseFloorDb, 1) + " dB)";
}

TrackSummary summariseTrack (const GainFrames& frames, float noiseFloorDb)
{
    TrackSummary summary (noiseFloorDb);

    for (size_t f = 0; f < frames.size(); ++f)
        summary.add (frames.level[f], frames.gain[f]);

    return summary;
}
