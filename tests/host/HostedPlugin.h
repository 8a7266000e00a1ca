#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

/** The bundle under test and helpers to host it the way a DAW does. */
namespace HostedPlugin
{
    /** The bundle given on the command line with --plugin=PATH. */
    juce::File& bundle();

    /** The one description a scan of the bundle finds (an empty one on failure). */
    juce::PluginDescription describe();

    /** A new instance, created on the message thread. */
    std::unique_ptr<juce::AudioPluginInstance> create (double sampleRate = 48000.0, int blockSize = 256);

    /** The hosted parameter with this display name, or nullptr. */
    juce::AudioProcessorParameter* findParameter (juce::AudioPluginInstance&, const juce::String& name);

    /** Sets a parameter as the user would type it into the host's field. */
    void setFromText (juce::AudioPluginInstance&, const juce::String& name, const juce::String& text);

    /** The component state exactly as the host stores it in a project. */
    juce::MemoryBlock componentState (juce::AudioPluginInstance&);

    /** Hands a component state to the instance, as a host restoring a project does. */
    void restoreComponentState (juce::AudioPluginInstance&, const juce::MemoryBlock&);
}
