#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/** A hosted Hestrel instance's parameters, reached by the plug-in's own parameter IDs. */
namespace HestrelHost
{
    /** True for the ID of one of the plug-in's parameters. */
    bool isParameterID (const juce::String& parameterID) noexcept;

    /** The plug-in's parameter IDs, in the host's order, joined with ", " (for messages). */
    juce::String listParameterIDs();

    /** The numeric ID that JUCE's VST3 wrapper gives a parameter: the hash of its ID string with
        the top bit cleared. A hosted instance reports it as the parameter's ID.
    */
    juce::String getVst3ParameterID (const juce::String& parameterID);

    /** The hosted parameter with this plug-in ID (through the VST3 ID derived from it, or its
        display name), or nullptr for an ID the plug-in does not have.
    */
    juce::AudioProcessorParameter* findParameter (juce::AudioPluginInstance&, const juce::String& parameterID);

    /** Sets a parameter from text as a knob's value box does: the parameter's own text-to-value,
        then the value handed on as the user's change. False when there is no such parameter.
    */
    bool setParameterFromText (juce::AudioPluginInstance&, const juce::String& parameterID, const juce::String& text);

    /** The parameter's current value as the plug-in writes it, or an empty string. */
    juce::String getParameterText (juce::AudioPluginInstance&, const juce::String& parameterID);
}
