#include "GainCsv.h"

juce::Result writeGainCsv (const juce::File& file, const juce::StringArray& trackNames,
                           const std::vector<GainFrames>& frames)
{
    jassert ((size_t) trackNames.size() == frames.size());

    juce::MemoryOutputStream csv;
    csv << "time_s";

    for (const auto& name : trackNames)
        csv << "," << name << "_level_db," << name << "_gain_db";

    csv << "\n";

    size_t numFrames = 0;

    for (const auto& track : frames)
        numFrames = juce::jmax (numFrames, track.size());

    const auto frameSeconds = frames.empty() ? 0.01 : frames.front().frameSeconds;

    for (size_t f = 0; f < numFrames; ++f)
    {
        csv << juce::String ((double) f * frameSeconds, 3);

        for (const auto& track : frames)
        {
            const auto level = f < track.size() ? track.level[f] : 0.0f;
            const auto gain = f < track.size() ? track.gain[f] : 1.0f;
            csv << "," << juce::String (amplitudeToDecibels (level), 2) << "," << juce::String (amplitudeToDecibels (gain), 2);
        }

        csv << "\n";
    }

    const juce::TemporaryFile temporary (file);

    if (! temporary.getFile().replaceWithData (csv.getData(), csv.getDataSize())
        || ! temporary.overwriteTargetFileWithTemporary())
        return juce::Result::fail ("cannot write " + file.getFullPathName());

    return juce::Result::ok();
}
