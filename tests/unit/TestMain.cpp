#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

// Value-tree states, timers and components need JUCE's message machinery for the whole run.
int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);
    const juce::ScopedJuceInitialiser_GUI juce;
    return RUN_ALL_TESTS();
}
