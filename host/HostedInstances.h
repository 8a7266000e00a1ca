#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/** Creating, laying out and saving hosted Hestrel instances, on the message thread as a DAW does. */
namespace HestrelHost
{
    /** A new instance of a scanned plug-in, or nullptr with the reason in `error`. */
    std::unique_ptr<juce::AudioPluginInstance> createInstance (const juce::PluginDescription&, double sampleRate,
                                                               int blockSize, juce::String& error);

    /** The same layout on input and output: mono for one channel, stereo otherwise. Fails with
        "the plug-in refused a <layout> layout" when the instance does not take it.
    */
    juce::Result setChannelLayout (juce::AudioPluginInstance&, int numChannels);

    /** The component state exactly as a host stores it in a project (JUCE's VST3 host wraps
        the component and controller states in XML of its own; this is the component's part).
    */
    juce::MemoryBlock getComponentState (juce::AudioPluginInstance&);

    /** Hands a component state to the instance, as a host restoring a project does. */
    void restoreComponentState (juce::AudioPluginInstance&, const juce::MemoryBlock&);

    /** Whether prepared instances are told that they render offline. */
    enum class Processing
    {
        realtime,
        offline
    };

    /**
        N Hestrel instances of one bundle, all in this process: created, prepared, released and
        destroyed on the message thread, as a DAW handles the inserts of a session.
    */
    class Instances
    {
    public:
        Instances() = default;
        ~Instances();

        /** Checks and scans the bundle and creates the instances; fails with one line when the
            bundle is missing, does not load, or is not Hestrel.
        */
        juce::Result load (const juce::File& bundle, int numInstances, double sampleRate, int blockSize);

        /** Sets each instance's layout (its entry's channel count: mono or stereo) and prepares it. */
        juce::Result prepare (const juce::Array<int>& channelsPerInstance, double sampleRate, int blockSize,
                              Processing processing = Processing::realtime);

        /** Releases and destroys every instance, newest first. */
        void unload();

        /** The instances, in the order they were created. */
        juce::AudioPluginInstance& operator[] (int index) const noexcept    { return *instances.getUnchecked (index); }

        /** The number of instances. */
        int size() const noexcept    { return instances.size(); }

    private:
        juce::OwnedArray<juce::AudioPluginInstance> instances;
        bool prepared = false;

        JUCE_DECLARE_NON_COPYABLE (Instances)
    };
}
