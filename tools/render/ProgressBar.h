#pragma once

#include <juce_core/juce_core.h>

/** A one-line progress bar on stderr, drawn only when stderr is a terminal. */
class ProgressBar
{
public:
    /** Draws nothing unless stderr is a terminal. */
    ProgressBar();

    /** Ends the line, if anything was drawn. */
    ~ProgressBar();

    /** Redraws the bar for a fraction done (0 to 1), when the shown percentage changes. */
    void update (double fractionDone);

    /** Whether the bar draws anything. */
    bool isVisible() const noexcept    { return visible; }

private:
    bool visible = false;
    int lastPercent = -1;

    JUCE_DECLARE_NON_COPYABLE (ProgressBar)
};
