#pragma once

#include <juce_core/juce_core.h>

#include <iosfwd>

/**
    The whole of hestrel-render: reads the command line and the tracks, loads one Hestrel
    instance per track, renders them round robin and writes the cleaned tracks, gains.csv and
    gains.png, then one summary line per track. Everything is checked before anything is
    written, so a failure leaves the disk as it was.

    Must run on the message thread, with a juce::ScopedJuceInitialiser_GUI alive.
    Returns the process's exit code: 0 on success, 1 on an error, 2 on a bad command line.
*/
int runRenderJob (const juce::StringArray& arguments, const juce::File& workingDirectory,
                  std::ostream& out, std::ostream& err);
