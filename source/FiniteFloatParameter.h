#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/**
    A float parameter that never holds a NaN.

    The framework's range lets a NaN through its clamping and snapping, so a host that sends
    NaN as a normalised value, typed "nan" or a project holding value="nan" would leave the
    parameter reading NaN everywhere: in the host's display, in the engine and in the next
    saved state. Here every NaN, whichever way it arrives, sets the parameter's default; an
    infinite value clamps to the nearer end like any other value outside the range.
*/
class FiniteFloatParameter  : public juce::AudioParameterFloat
{
public:
    /** Takes the same arguments as juce::AudioParameterFloat. */
    FiniteFloatParameter (const juce::ParameterID& parameterID,
                          const juce::String& parameterName,
                          juce::NormalisableRange<float> normalisableRange,
                          float defaultValue,
                          const juce::AudioParameterFloatAttributes& attributes = {});

    /** The framework's interval snapping and clamping, except that NaN gives the default. */
    static float snapToGrid (const juce::NormalisableRange<float>& range, float defaultValue, float value) noexcept;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FiniteFloatParameter)
};
