#pragma once

#include <juce_core/juce_core.h>

/** A one-line progress bar on stderr with the time spent, the speed as a multiple of real time
    and the time left; drawn only when stderr is a terminal.
*/
class ProgressBar
{
public:
    /** sessionSeconds: the length of the audio to render. Draws nothing unless stderr is a terminal. */
    explicit ProgressBar (double sessionSeconds);

    /** Ends the line, if anything was drawn. */
    ~ProgressBar();

    /** Redraws the bar for a fraction done (0 to 1), at most ten times a second. */
    void update (double fractionDone);

    /** "rendering [#######.....]  42 %  0:12 elapsed  96x real time  0:17 left" */
    static juce::String format (double fractionDone, double elapsedSeconds, double sessionSeconds);

private:
    bool visible = false;
    bool drawn = false;
    double sessionSeconds;
    juce::uint32 startMs, lastDrawMs = 0;

    JUCE_DECLARE_NON_COPYABLE (ProgressBar)
};
