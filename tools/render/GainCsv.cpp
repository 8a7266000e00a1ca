#include "GainCsv.h"

#include "GainFrames.h"
#include "StagedFiles.h"

juce::Result GainCsvWriter::open (const juce::File& fileToWrite, const juce::StringArray& trackNames, double secondsPerFrame)
{
    file = fileToWrite;
    numTracks = trackNames.size();
    frameSeconds = secondsPerFrame;
    stream = std::make_unique<juce::FileOutputStream> (file, 1 << 16);

    if (! isOpenAndEmpty (*stream))
        return juce::Result::fail ("cannot write " + file.getFullPathName());

    juce::String header ("time_s");

    for (const auto& name : trackNames)
        header << "," << name << "_level_db," << name << "_gain_db";

    *stream << header << "\n";
    return juce::Result::ok();
}

bool GainCsvWriter::addRow (const float* levels, const float* gains)
{
    juce::String line (juce::String ((double) row++ * frameSeconds, 3));

    for (int t = 0; t < numTracks; ++t)
        line << "," << juce::String (amplitudeToDecibels (levels[t]), 2) << "," << juce::String (amplitudeToDecibels (gains[t]), 2);

    line << "\n";
    return stream->writeText (line, false, false, nullptr) && stream->getStatus().wasOk();
}

juce::Result GainCsvWriter::finish()
{
    stream->flush();
    const auto ok = stream->getStatus().wasOk();
    stream.reset();

    return ok ? juce::Result::ok()
              : juce::Result::fail ("cannot write " + file.getFullPathName() + ": the disk may be full or the file too large");
}
