#include "HostedInstances.h"

#include "HestrelBundle.h"
#include "HostedParameters.h"

#include <identity/HestrelIdentity.h>

std::unique_ptr<juce::AudioPluginInstance> HestrelHost::createInstance (const juce::PluginDescription& description,
                                                                        double sampleRate, int blockSize, juce::String& error)
{
    juce::VST3PluginFormat format;
    return format.createInstanceFromDescription (description, sampleRate, blockSize, error);
}

juce::Result HestrelHost::setChannelLayout (juce::AudioPluginInstance& instance, int numChannels)
{
    const auto channels = numChannels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();

    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (channels);
    layout.outputBuses.add (channels);

    if (! instance.setBusesLayout (layout))
        return juce::Result::fail ("the plug-in refused a " + channels.getDescription() + " layout");

    return juce::Result::ok();
}

juce::MemoryBlock HestrelHost::getComponentState (juce::AudioPluginInstance& instance)
{
    juce::MemoryBlock hostState;
    instance.getStateInformation (hostState);

    juce::MemoryBlock component;

    if (auto xml = juce::AudioProcessor::getXmlFromBinary (hostState.getData(), (int) hostState.getSize()))
        if (auto* child = xml->getChildByName ("IComponent"))
            component.fromBase64Encoding (child->getAllSubText());

    return component;
}

void HestrelHost::restoreComponentState (juce::AudioPluginInstance& instance, const juce::MemoryBlock& component)
{
    juce::XmlElement xml ("VST3PluginState");
    xml.createNewChildElement ("IComponent")->addTextElement (component.toBase64Encoding());

    juce::MemoryBlock hostState;
    juce::AudioProcessor::copyXmlToBinary (xml, hostState);
    instance.setStateInformation (hostState.getData(), (int) hostState.getSize());
}

//==============================================================================
HestrelHost::Instances::~Instances()
{
    unload();
}

juce::Result HestrelHost::Instances::load (const juce::File& bundle, int numInstances, double sampleRate, int blockSize)
{
    JUCE_ASSERT_MESSAGE_THREAD
    unload();

    const auto path = bundle.getFullPathName();

    if (! bundle.exists())
        return juce::Result::fail ("plug-in not found: " + path);

    if (const auto library = checkBundleLibrary (bundle); library.failed())
        return juce::Result::fail ("the plug-in failed to load: " + library.getErrorMessage());

    const auto types = scanBundle (bundle);

    if (types.isEmpty())
        return juce::Result::fail ("the plug-in failed to load: " + path + " is not a loadable VST3 bundle");

    for (int i = 0; i < numInstances; ++i)
    {
        juce::String error;
        auto instance = createInstance (*types.getFirst(), sampleRate, blockSize, error);

        if (instance == nullptr)
        {
            unload();
            return juce::Result::fail ("the plug-in failed to load: " + path
                                       + (error.isNotEmpty() ? " (" + error + ")" : juce::String()));
        }

        instances.add (std::move (instance));
    }

    for (const auto& parameter : hestrelParameters)
        if (findParameter (*instances.getFirst(), parameter.parameterID) == nullptr)
        {
            unload();
            return juce::Result::fail ("the plug-in at " + path + " is not Hestrel: it has no parameter " + parameter.parameterID);
        }

    return juce::Result::ok();
}

juce::Result HestrelHost::Instances::prepare (const juce::Array<int>& channelsPerInstance, double sampleRate,
                                              int blockSize, Processing processing)
{
    JUCE_ASSERT_MESSAGE_THREAD
    jassert (channelsPerInstance.size() == instances.size());

    for (int i = 0; i < instances.size(); ++i)
    {
        auto& instance = *instances.getUnchecked (i);

        if (const auto layout = setChannelLayout (instance, channelsPerInstance[i]); layout.failed())
            return juce::Result::fail (layout.getErrorMessage() + " for track " + juce::String (i + 1));

        if (processing == Processing::offline)
            instance.setNonRealtime (true);

        instance.prepareToPlay (sampleRate, blockSize);
        prepared = true;
    }

    return juce::Result::ok();
}

void HestrelHost::Instances::unload()
{
    if (prepared)
        for (auto* instance : instances)
            instance->releaseResources();

    prepared = false;

    // Newest first, as a host tears down a session; the registry frees the slots in any order.
    while (! instances.isEmpty())
        instances.removeLast();
}
