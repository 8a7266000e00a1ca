#include "HostedPlugins.h"

#include <HostedParameters.h>

#include <cmath>
#include <cstdlib>

namespace
{
    /** True when the text starts with a number, the way a user types one into a value box
        ("-45", "250 ms", "-inf"); NaN does not count.
    */
    bool startsWithNumber (const juce::String& text)
    {
        const auto trimmed = text.trim();
        const auto* start = trimmed.toRawUTF8();
        char* end = nullptr;
        const auto value = std::strtod (start, &end);
        return end != start && ! std::isnan (value);
    }
}

juce::Result HostedPlugins::applySettings (const juce::Array<ParameterSetting>& settings)
{
    JUCE_ASSERT_MESSAGE_THREAD

    // Check everything first, so that a bad setting changes nothing.
    for (const auto& setting : settings)
    {
        if (! HestrelHost::isParameterID (setting.parameterID))
            return juce::Result::fail ("unknown parameter ID \"" + setting.parameterID + "\" (known: "
                                       + HestrelHost::listParameterIDs() + ")");

        if (! startsWithNumber (setting.valueText))
            return juce::Result::fail ("the value for " + setting.parameterID + " is not a number: \"" + setting.valueText + "\"");

        if (setting.track >= size())
            return juce::Result::fail ("track " + juce::String (setting.track + 1) + " is out of range: there are "
                                       + juce::String (size()) + " tracks");
    }

    for (const auto& setting : settings)
    {
        for (int i = 0; i < size(); ++i)
        {
            if (setting.track >= 0 && setting.track != i)
                continue;

            [[maybe_unused]] const auto set = HestrelHost::setParameterFromText ((*this)[i], setting.parameterID, setting.valueText);
            jassert (set);
        }
    }

    return juce::Result::ok();
}
