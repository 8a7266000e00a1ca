#include "RenderTestSupport.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include <iostream>

/** Runs the render tests: hestrel_render_tests [gtest flags] --tool=PATH --plugin=PATH.vst3 */
int main (int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juce;
    testing::InitGoogleTest (&argc, argv);

    for (int i = 1; i < argc; ++i)
    {
        const juce::String argument (argv[i]);

        if (argument.startsWith ("--tool="))
            RenderTestPaths::tool = juce::File (argument.fromFirstOccurrenceOf ("=", false, false));
        else if (argument.startsWith ("--plugin="))
            RenderTestPaths::plugin = juce::File (argument.fromFirstOccurrenceOf ("=", false, false));
    }

    if (! RenderTestPaths::tool.existsAsFile() || ! RenderTestPaths::plugin.isDirectory())
    {
        std::cerr << "usage: hestrel_render_tests --tool=PATH/hestrel-render --plugin=PATH/Hestrel.vst3" << std::endl;
        return 2;
    }

    return RUN_ALL_TESTS();
}
