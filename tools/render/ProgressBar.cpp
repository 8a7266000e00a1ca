#include "ProgressBar.h"

#include <cstdio>
#include <unistd.h>

ProgressBar::ProgressBar()
    : visible (isatty (fileno (stderr)) != 0)
{
}

ProgressBar::~ProgressBar()
{
    if (visible && lastPercent >= 0)
        std::fputs ("\n", stderr);
}

void ProgressBar::update (double fractionDone)
{
    if (! visible)
        return;

    const auto percent = juce::jlimit (0, 100, (int) (fractionDone * 100.0));

    if (percent == lastPercent)
        return;

    lastPercent = percent;
    constexpr int width = 40;
    const auto filled = percent * width / 100;

    char bar[width + 1];

    for (int i = 0; i < width; ++i)
        bar[i] = i < filled ? '#' : '.';

    bar[width] = 0;
    std::fprintf (stderr, "\rrendering [%s] %3d %%", bar, percent);
    std::fflush (stderr);
}
