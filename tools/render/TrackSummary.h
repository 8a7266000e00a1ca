#pragma once

#include "GainFrames.h"

#include <juce_core/juce_core.h>

/** What the one-line summary of a rendered track says. */
struct TrackSummary
{
    /** Mean gain (dB of the mean linear gain) over the frames whose level is above the noise
        floor; 0 dB when there are none.
    */
    float meanGainAboveFloorDb = 0.0f;

    /** How long the gain stayed below -20 dB, in seconds, and as a share of the track. */
    double secondsBelowMinus20Db = 0.0;
    double fractionBelowMinus20Db = 0.0;

    /** Whether any frame rose above the noise floor. */
    bool anyAboveFloor = false;
};

/** Summarises a track's frames, given the noise floor its instance used (dB). */
TrackSummary summariseTrack (const GainFrames& frames, float noiseFloorDb);

/** "mic1: mean gain -0.4 dB while above its noise floor (-60 dB), 31.2 s (54 %) below -20 dB" */
juce::String formatTrackSummary (const juce::String& name, const TrackSummary& summary, float noiseFloorDb);
