#include "HostedPlugin.h"

#include <gtest/gtest.h>

juce::File& HostedPlugin::bundle()
{
    static juce::File file;
    return file;
}

juce::PluginDescription HostedPlugin::describe()
{
    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> found;
    format.findAllTypesForFile (found, bundle().getFullPathName());
    return found.size() == 1 ? *found[0] : juce::PluginDescription();
}

std::unique_ptr<juce::AudioPluginInstance> HostedPlugin::create (double sampleRate, int blockSize)
{
    juce::VST3PluginFormat format;
    juce::String error;
    auto instance = format.createInstanceFromDescription (describe(), sampleRate, blockSize, error);
    EXPECT_NE (instance, nullptr) << error;
    return instance;
}

juce::AudioProcessorParameter* HostedPlugin::findParameter (juce::AudioPluginInstance& instance, const juce::String& name)
{
    for (auto* parameter : instance.getParameters())
        if (parameter->getName (100) == name)
            return parameter;

    return nullptr;
}

void HostedPlugin::setFromText (juce::AudioPluginInstance& instance, const juce::String& name, const juce::String& text)
{
    auto* parameter = findParameter (instance, name);
    ASSERT_NE (parameter, nullptr) << name;
    parameter->setValueNotifyingHost (parameter->getValueForText (text));
}

// JUCE's VST3 host wraps the component and controller states in XML of its own.
juce::MemoryBlock HostedPlugin::componentState (juce::AudioPluginInstance& instance)
{
    juce::MemoryBlock hostState;
    instance.getStateInformation (hostState);

    juce::MemoryBlock component;

    if (auto xml = juce::AudioProcessor::getXmlFromBinary (hostState.getData(), (int) hostState.getSize()))
        if (auto* child = xml->getChildByName ("IComponent"))
            component.fromBase64Encoding (child->getAllSubText());

    return component;
}

void HostedPlugin::restoreComponentState (juce::AudioPluginInstance& instance, const juce::MemoryBlock& component)
{
    juce::XmlElement xml ("VST3PluginState");
    xml.createNewChildElement ("IComponent")->addTextElement (component.toBase64Encoding());

    juce::MemoryBlock hostState;
    juce::AudioProcessor::copyXmlToBinary (xml, hostState);
    instance.setStateInformation (hostState.getData(), (int) hostState.getSize());
}
