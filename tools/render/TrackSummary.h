#pragma once

#include "GainFrames.h"

#include <juce_core/juce_core.h>

/** What the one-line summary of a rendered track says, gathered frame by frame. */
class TrackSummary
{
public:
    /** noiseFloorDb: the threshold the track's instance used. */
    explicit TrackSummary (float noiseFloorDb = -60.0f);

    /** Counts one frame: its input level and mean gain, both linear. */
    void add (float level, float gain) noexcept;

    /** Shares of the time: open (gain within 6 dB of unity), partly open, closed (below -20 dB). */
    double getOpenShare() const noexcept;
    double getPartlyOpenShare() const noexcept;
    double getClosedShare() const noexcept;

    /** Mean gain (dB of the mean linear gain) over the frames above the noise floor; 0 dB when none are. */
    float getMeanGainAboveFloorDb() const noexcept;
    bool wasEverAboveFloor() const noexcept    { return framesAboveFloor > 0; }

    /** "mic1: open 33 %, partly open 45 %, closed 22 %; mean gain -8.7 dB above its noise floor (-60.0 dB)" */
    juce::String format (const juce::String& name) const;

private:
    float noiseFloorDb;
    float floorLevel;
    double sumOfGainsAboveFloor = 0.0;
    juce::int64 frames = 0, framesAboveFloor = 0, framesOpen = 0, framesClosed = 0;
};

/** The summary of a whole track's frames. */
TrackSummary summariseTrack (const GainFrames& frames, float noiseFloorDb);
