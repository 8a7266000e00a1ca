#pragma once

#include <juce_core/juce_core.h>

#include <iosfwd>

/**
    The whole of hestrel-render, in stages: check the command line and the destinations, open
    the inputs, host one Hestrel instance per track, render the session round robin block by
    block while measuring the gains, write the cleaned files, the mix, gains.csv and gains.png to
    temporary files, move them into place only when all are complete, then summarise per track.
    A failure or a signal at any point leaves the disk as it was.

    Must run on the message thread, with a juce::ScopedJuceInitialiser_GUI alive.
    Returns the process's exit code: 0 on success, 1 on an error, 2 on a bad command line,
    128 + the signal's number when interrupted.
*/
int runRenderJob (const juce::StringArray& arguments, const juce::File& workingDirectory,
                  std::ostream& out, std::ostream& err);
