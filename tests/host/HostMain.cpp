#include "HostedPlugin.h"

#include <gtest/gtest.h>

#include <iostream>

// The message thread is this one: hosts create, restore and destroy instances there.
int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);

    for (int i = 1; i < argc; ++i)
        if (juce::String (argv[i]).startsWith ("--plugin="))
            HostedPlugin::bundle() = juce::File (juce::String (argv[i]).fromFirstOccurrenceOf ("=", false, false));

    if (! HostedPlugin::bundle().isDirectory())
    {
        std::cerr << "hestrel_host_tests: no plug-in bundle at '" << HostedPlugin::bundle().getFullPathName()
                  << "' (pass --plugin=PATH/Hestrel.vst3)" << std::endl;
        return 2;
    }

    const juce::ScopedJuceInitialiser_GUI juce;
    return RUN_ALL_TESTS();
}
