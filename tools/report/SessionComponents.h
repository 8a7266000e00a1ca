#pragma once

#include "QualityMeasures.h"

#include <juce_core/juce_core.h>

/** A demo session as scripts/make-demo-session.sh leaves it: micN.wav, the components of every
    mic in components/ and the turns in turns.csv.
*/
struct DemoSession
{
    std::vector<MicComponents> mics;

    /** The recorded tracks, micN.wav, in mic order. */
    juce::Array<juce::File> trackFiles;
};

/** Reads a session directory; fails with one line when something is missing or does not fit. */
juce::Result readDemoSession (const juce::File& directory, DemoSession& session);

/** Parses turns.csv (mic,start_s,end_s with a header line) into per-mic sample ranges, mics
    counted from 1. Fails on a malformed line.
*/
juce::Result parseTurns (const juce::String& csv, double sampleRate, std::vector<std::vector<juce::Range<int>>>& turnsPerMic);
