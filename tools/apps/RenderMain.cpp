#include <render/RenderJob.h>

#include <juce_gui_basics/juce_gui_basics.h>

#include <iostream>

int main (int argc, char* argv[])
{
    // VST3 hosting and the plug-in's own code need a message manager on this thread.
    const juce::ScopedJuceInitialiser_GUI juce;

    juce::StringArray arguments;

    for (int i = 1; i < argc; ++i)
        arguments.add (juce::String::fromUTF8 (argv[i]));

    return runRenderJob (arguments, juce::File::getCurrentWorkingDirectory(), std::cout, std::cerr);
}
