#include <render/AudioTracks.h>
#include <render/GainTrace.h>
#include <report/QualityReport.h>
#include <report/SessionComponents.h>

#include <iostream>

/** hestrel-report SESSION_DIR RENDER_DIR: the quality report of a demo session rendered by
    hestrel-render into RENDER_DIR.
*/
int main (int argc, char* argv[])
{
    auto fail = [] (const juce::String& message)
    {
        std::cerr << "hestrel-report: error: " << message << std::endl;
        return 1;
    };

    if (argc != 3)
        return fail ("usage: hestrel-report SESSION_DIR RENDER_DIR");

    const auto cwd = juce::File::getCurrentWorkingDirectory();
    const auto sessionDirectory = cwd.getChildFile (juce::String::fromUTF8 (argv[1]));
    const auto renderDirectory = cwd.getChildFile (juce::String::fromUTF8 (argv[2]));

    DemoSession session;

    if (const auto read = readDemoSession (sessionDirectory, session); read.failed())
        return fail (read.getErrorMessage());

    AudioTrackReader reader;
    std::vector<std::vector<float>> hestrelGains;

    for (size_t m = 0; m < session.mics.size(); ++m)
    {
        AudioTrack recorded, rendered;
        const auto& input = session.trackFiles[(int) m];

        if (const auto read = reader.read (input, recorded); read.failed())
            return fail (read.getErrorMessage());

        if (const auto read = reader.read (getOutputFileFor (input, renderDirectory), rendered); read.failed())
            return fail (read.getErrorMessage());

        hestrelGains.push_back (measureAppliedGain (recorded.audio, rendered.audio));
    }

    std::cout << formatQualityReport (buildQualityReport (session.mics, hestrelGains)) << std::flush;
    return 0;
}
