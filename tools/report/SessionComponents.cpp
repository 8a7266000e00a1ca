#include "SessionComponents.h"

#include <render/AudioTracks.h>

juce::Result parseTurns (const juce::String& csv, double sampleRate, std::vector<std::vector<juce::Range<int>>>& turnsPerMic)
{
    turnsPerMic.clear();
    auto lines = juce::StringArray::fromLines (csv);
    lines.removeEmptyStrings();

    for (int i = 1; i < lines.size(); ++i)
    {
        const auto fields = juce::StringArray::fromTokens (lines[i], ",", "");
        const auto mic = fields[0].getIntValue();

        if (fields.size() != 3 || mic < 1 || mic > 64)
            return juce::Result::fail ("turns.csv line " + juce::String (i + 1) + " is not mic,start_s,end_s: " + lines[i]);

        const auto start = juce::roundToInt (fields[1].getDoubleValue() * sampleRate);
        const auto end = juce::roundToInt (fields[2].getDoubleValue() * sampleRate);

        if ((size_t) mic > turnsPerMic.size())
            turnsPerMic.resize ((size_t) mic);

        turnsPerMic[(size_t) mic - 1].push_back ({ start, juce::jmax (start, end) });
    }

    if (turnsPerMic.empty())
        return juce::Result::fail ("turns.csv lists no turns");

    return juce::Result::ok();
}

juce::Result readDemoSession (const juce::File& directory, DemoSession& session)
{
    const auto turnsFile = directory.getChildFile ("turns.csv");

    if (! turnsFile.existsAsFile())
        return juce::Result::fail ("not a demo session: " + turnsFile.getFullPathName() + " is missing");

    AudioTrackReader reader;
    AudioTrack first;

    if (const auto read = reader.read (directory.getChildFile ("mic1.wav"), first); read.failed())
        return read;

    std::vector<std::vector<juce::Range<int>>> turns;

    if (const auto parsed = parseTurns (turnsFile.loadFileAsString(), first.sampleRate, turns); parsed.failed())
        return parsed;

    session = {};

    for (size_t m = 0; m < turns.size(); ++m)
    {
        const auto micName = "mic" + juce::String ((int) m + 1);
        MicComponents mic;
        mic.name = micName;
        mic.sampleRate = first.sampleRate;
        mic.ownTurns = turns[m];

        const std::pair<const char*, juce::AudioBuffer<float>*> parts[] { { "direct", &mic.direct },
                                                                           { "bleed", &mic.bleed },
                                                                           { "noise", &mic.noise } };
        for (const auto& [suffix, buffer] : parts)
        {
            AudioTrack component;
            const auto file = directory.getChildFile ("components").getChildFile (micName + "-" + suffix + ".wav");

            if (const auto read = reader.read (file, component); read.failed())
                return read;

            if (component.sampleRate != first.sampleRate || component.audio.getNumSamples() != first.audio.getNumSamples())
                return juce::Result::fail (file.getFullPathName() + " does not match mic1.wav in length or sample rate");

            *buffer = std::move (component.audio);
        }

        session.trackFiles.add (directory.getChildFile (micName + ".wav"));
        session.mics.push_back (std::move (mic));
    }

    return juce::Result::ok();
}
