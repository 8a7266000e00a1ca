#include "FiniteFloatParameter.h"

#include <cmath>

namespace
{
    /** The same range, whose snapping turns NaN into the default. Every conversion between
        normalised and plain values ends in the range's snapping, so this one function keeps
        NaN out of the stored value, the texts and the tree.
    */
    juce::NormalisableRange<float> withFiniteSnapping (const juce::NormalisableRange<float>& grid, float defaultValue)
    {
        juce::NormalisableRange<float> range (grid.start, grid.end, nullptr, nullptr,
                                              [grid, defaultValue] (float, float, float value)
                                              {
                                                  return FiniteFloatParameter::snapToGrid (grid, defaultValue, value);
                                              });
        range.interval = grid.interval;
        range.skew = grid.skew;
        range.symmetricSkew = grid.symmetricSkew;
        return range;
    }
}

FiniteFloatParameter::FiniteFloatParameter (const juce::ParameterID& parameterID,
                                            const juce::String& parameterName,
                                            juce::NormalisableRange<float> normalisableRange,
                                            float defaultValue,
                                            const juce::AudioParameterFloatAttributes& attributes)
    : juce::AudioParameterFloat (parameterID, parameterName, withFiniteSnapping (normalisableRange, defaultValue),
                                 defaultValue, attributes)
{
}

float FiniteFloatParameter::snapToGrid (const juce::NormalisableRange<float>& grid, float defaultValue, float value) noexcept
{
    if (std::isnan (value))
        return defaultValue;

    // The same arithmetic as juce::NormalisableRange::snapToLegalValue, so the grid is unchanged.
    const auto start = grid.start, end = grid.end, interval = grid.interval;

    if (interval > 0.0f)
        value = start + interval * std::floor ((value - start) / interval + 0.5f);

    return (value <= start || end <= start) ? start : (value >= end ? end : value);
}
