#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include "RenderOptions.h"

/** The six parameters a Hestrel instance offers, by ID and by the name the host sees. */
struct HestrelParameterName
{
    const char* parameterID;
    const char* displayName;
};

/** The IDs and display names of the plug-in's parameters, in the order the host lists them. */
const std::array<HestrelParameterName, 6>& getHestrelParameterNames() noexcept;

/** Where hestrel-render looks for the plug-in when --plugin is not given: ~/.vst3, then the
    build tree that built this program. The first that exists, or the first one.
*/
juce::File findDefaultPluginBundle();

/**
    The Hestrel instances of one render: one per track, all in this process, created and
    destroyed on the message thread as a DAW would.
*/
class HostedPlugins
{
public:
    HostedPlugins() = default;
    ~HostedPlugins();

    /** Scans the bundle and creates one instance per track; fails with one line when the bundle
        is missing or does not load.
    */
    juce::Result load (const juce::File& bundle, int numInstances, double sampleRate, int blockSize);

    /** Applies the settings (global ones to every instance, per-track ones to theirs), converting
        each value with the parameter's own text-to-value. Fails on an unknown ID or a value that
        is not a number, before anything is changed.
    */
    juce::Result applySettings (const juce::Array<ParameterSetting>& settings);

    /** Sets the bus layout of every instance (mono or stereo, as its track) and prepares it. */
    juce::Result prepare (const juce::Array<int>& channelsPerInstance, double sampleRate, int blockSize);

    /** Releases and destroys every instance. */
    void unload();

    /** The instances, in track order. */
    juce::AudioPluginInstance& operator[] (int index) const noexcept    { return *instances.getUnchecked (index); }

    int size() const noexcept    { return instances.size(); }

    /** The plug-in parameter with this ID (the VST3 ID derived from it, or its display name). */
    static juce::AudioProcessorParameter* findParameter (juce::AudioPluginInstance&, const juce::String& parameterID);

    /** The plain value (in the parameter's unit) that an instance's parameter holds now. */
    static juce::String getValueText (juce::AudioPluginInstance&, const juce::String& parameterID);

private:
    juce::OwnedArray<juce::AudioPluginInstance> instances;
    bool prepared = false;
};
