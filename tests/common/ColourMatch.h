#pragma once

#include <juce_graphics/juce_graphics.h>

#include <gtest/gtest.h>

#include <cstdlib>

/** The largest difference of any channel, alpha included, between two colours. */
inline int channelDistance (juce::Colour a, juce::Colour b)
{
    return juce::jmax (std::abs ((int) a.getRed()   - (int) b.getRed()),
                       std::abs ((int) a.getGreen() - (int) b.getGreen()),
                       std::abs ((int) a.getBlue()  - (int) b.getBlue()),
                       std::abs ((int) a.getAlpha() - (int) b.getAlpha()));
}

/** Passes when every channel is within the tolerance; rasterising and blending may round by one. */
inline ::testing::AssertionResult colourNear (juce::Colour actual, juce::Colour expected, int tolerance = 1)
{
    if (channelDistance (actual, expected) <= tolerance)
        return ::testing::AssertionSuccess();

    return ::testing::AssertionFailure() << "got 0x" << actual.toDisplayString (true)
                                         << ", expected 0x" << expected.toDisplayString (true);
}
