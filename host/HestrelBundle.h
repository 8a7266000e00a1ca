#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/** Finding, checking and scanning a Hestrel.vst3 bundle, as a host does before it creates instances. */
namespace HestrelHost
{
    /** Where the plug-in is looked for when no bundle is named: ~/.vst3, then the bundle that
        this build tree makes. The first that exists, or the first one.
    */
    juce::File findDefaultBundle();

    /** The bundle's shared library for this machine, Contents/<machine>-linux/<name>.so, found
        through the machine's architecture as JUCE's VST3 host does; empty where that does not apply.
    */
    juce::File getBundleLibrary (const juce::File& bundle);

    /** Checks that the bundle's library opens and offers a VST3 factory, so that a broken bundle
        gets a message of its own (with the system's reason) instead of a scan that finds nothing.
    */
    juce::Result checkBundleLibrary (const juce::File& bundle);

    /** The plug-ins that JUCE's VST3 scan finds in the bundle (one for a good Hestrel bundle). */
    juce::OwnedArray<juce::PluginDescription> scanBundle (const juce::File& bundle);
}
