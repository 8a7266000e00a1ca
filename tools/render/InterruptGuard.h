#pragma once

#include <juce_core/juce_core.h>

/**
    While alive, SIGINT, SIGTERM and SIGHUP only raise a flag that the render checks between
    blocks, so it can remove its temporary files and stop cleanly; a second signal acts as
    usual. SIGXFSZ is ignored, so a file-size limit shows up as a failed write instead of
    killing the process. The previous handlers come back on destruction.
*/
class InterruptGuard
{
public:
    InterruptGuard();
    ~InterruptGuard();

    /** The signal that arrived, or 0. */
    static int getSignal() noexcept;

    /** "SIGINT", "SIGTERM", ... */
    static juce::String getSignalName (int signal);

private:
    JUCE_DECLARE_NON_COPYABLE (InterruptGuard)
};
