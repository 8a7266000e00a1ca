#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

namespace Steinberg::Vst { class IComponent; }

/** The bundle under test; everything else about hosting it comes from the host library. */
namespace HostedPlugin
{
    /** The bundle given on the command line with --plugin=PATH. */
    juce::File& bundle();

    /** The one description a scan of the bundle finds (an empty one on failure). */
    juce::PluginDescription describe();

    /** A new instance, created on the message thread; a failure is a failed expectation. */
    std::unique_ptr<juce::AudioPluginInstance> create (double sampleRate = 48000.0, int blockSize = 256);

    /** The hosted instance's VST3 component, through JUCE's extensions visitor. */
    Steinberg::Vst::IComponent* componentOf (juce::AudioPluginInstance&);
}
