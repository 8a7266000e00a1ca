#include "HostedParameters.h"

#include <identity/HestrelIdentity.h>

namespace
{
    /** The plug-in's identity of a parameter ID, or nullptr for an ID it does not have. */
    const ParameterIdentity* findIdentity (const juce::String& parameterID) noexcept
    {
        for (const auto& parameter : hestrelParameters)
            if (parameterID == parameter.parameterID)
                return &parameter;

        return nullptr;
    }
}

bool HestrelHost::isParameterID (const juce::String& parameterID) noexcept
{
    return findIdentity (parameterID) != nullptr;
}

juce::String HestrelHost::listParameterIDs()
{
    juce::StringArray ids;

    for (const auto& parameter : hestrelParameters)
        ids.add (parameter.parameterID);

    return ids.joinIntoString (", ");
}

juce::String HestrelHost::getVst3ParameterID (const juce::String& parameterID)
{
    const auto hash = (juce::uint32) parameterID.hashCode() & 0x7fffffffu;
    return juce::String (hash);
}

juce::AudioProcessorParameter* HestrelHost::findParameter (juce::AudioPluginInstance& instance, const juce::String& parameterID)
{
    const auto* identity = findIdentity (parameterID);

    if (identity == nullptr)
        return nullptr;

    const auto vst3ID = getVst3ParameterID (parameterID);
    juce::AudioProcessorParameter* byName = nullptr;

    for (auto* parameter : instance.getParameters())
    {
        if (auto* hosted = dynamic_cast<juce::HostedAudioProcessorParameter*> (parameter))
            if (hosted->getParameterID() == vst3ID || hosted->getParameterID() == parameterID)
                return parameter;

        if (byName == nullptr && parameter->getName (100) == identity->displayName)
            byName = parameter;
    }

    return byName;
}

bool HestrelHost::setParameterFromText (juce::AudioPluginInstance& instance, const juce::String& parameterID, const juce::String& text)
{
    auto* parameter = findParameter (instance, parameterID);

    if (parameter == nullptr)
        return false;

    parameter->setValueNotifyingHost (parameter->getValueForText (text));
    return true;
}

juce::String HestrelHost::getParameterText (juce::AudioPluginInstance& instance, const juce::String& parameterID)
{
    auto* parameter = findParameter (instance, parameterID);
    return parameter != nullptr ? parameter->getText (parameter->getValue(), 100) : juce::String();
}
