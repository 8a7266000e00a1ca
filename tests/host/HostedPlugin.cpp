#include "HostedPlugin.h"

#include <HestrelBundle.h>
#include <HostedInstances.h>

#include <gtest/gtest.h>

#include <pluginterfaces/vst/ivstcomponent.h>

juce::File& HostedPlugin::bundle()
{
    static juce::File file;
    return file;
}

juce::PluginDescription HostedPlugin::describe()
{
    const auto found = HestrelHost::scanBundle (bundle());
    return found.size() == 1 ? *found[0] : juce::PluginDescription();
}

std::unique_ptr<juce::AudioPluginInstance> HostedPlugin::create (double sampleRate, int blockSize)
{
    juce::String error;
    auto instance = HestrelHost::createInstance (describe(), sampleRate, blockSize, error);
    EXPECT_NE (instance, nullptr) << error;
    return instance;
}

Steinberg::Vst::IComponent* HostedPlugin::componentOf (juce::AudioPluginInstance& instance)
{
    struct Visitor  : public juce::ExtensionsVisitor
    {
        void visitVST3Client (const VST3Client& client) override
        {
            component = static_cast<Steinberg::Vst::IComponent*> (client.getIComponentPtr());
        }

        Steinberg::Vst::IComponent* component = nullptr;
    };

    Visitor visitor;
    instance.getExtensions (visitor);
    return visitor.component;
}
