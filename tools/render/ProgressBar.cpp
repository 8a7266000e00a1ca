#include "ProgressBar.h"

#include <cstdio>
#include <unistd.h>

namespace
{
    juce::String formatDuration (double seconds)
    {
        const auto whole = (juce::int64) std::round (juce::jmax (0.0, seconds));
        const auto hours = whole / 3600, minutes = (whole / 60) % 60, secs = whole % 60;
        const auto twoDigits = [] (juce::int64 n) { return juce::String (n).paddedLeft ('0', 2); };

        return hours > 0 ? juce::String (hours) + ":" + twoDigits (minutes) + ":" + twoDigits (secs)
                         : juce::String (minutes) + ":" + twoDigits (secs);
    }
}

ProgressBar::ProgressBar (double lengthInSeconds)
    : visible (isatty (fileno (stderr)) != 0),
      sessionSeconds (lengthInSeconds),
      startMs (juce::Time::getMillisecondCounter())
{
}

ProgressBar::~ProgressBar()
{
    if (drawn)
        std::fputs ("\n", stderr);
}

juce::String ProgressBar::format (double fractionDone, double elapsedSeconds, double lengthInSeconds)
{
    const auto fraction = juce::jlimit (0.0, 1.0, fractionDone);
    constexpr int width = 30;
    const auto filled = (int) (fraction * width);
    juce::String bar;

    for (int i = 0; i < width; ++i)
        bar << (i < filled ? "#" : ".");

    juce::String line;
    line << "rendering [" << bar << "] " << juce::String ((int) (fraction * 100.0)).paddedLeft (' ', 3) << " %  "
         << formatDuration (elapsedSeconds) << " elapsed";

    if (elapsedSeconds > 0.2 && fraction > 0.0)
    {
        const auto speed = fraction * lengthInSeconds / elapsedSeconds;
        line << "  " << (speed < 10.0 ? juce::String (speed, 1) : juce::String (juce::roundToInt (speed))) << "x real time  "
             << formatDuration ((1.0 - fraction) * lengthInSeconds / speed) << " left";
    }

    return line;
}

void ProgressBar::update (double fractionDone)
{
    if (! visible)
        return;

    const auto now = juce::Time::getMillisecondCounter();

    if (drawn && now - lastDrawMs < 100 && fractionDone < 1.0)
        return;

    lastDrawMs = now;
    drawn = true;
    const auto line = format (fractionDone, (now - startMs) / 1000.0, sessionSeconds);
    std::fprintf (stderr, "\r%s\033[K", line.toRawUTF8());
    std::fflush (stderr);
}
