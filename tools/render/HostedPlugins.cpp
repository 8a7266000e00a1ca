#include "HostedPlugins.h"

#include <cmath>
#include <cstdlib>

#if JUCE_LINUX
 #include <dlfcn.h>
 #include <sys/utsname.h>
#endif

const std::array<HestrelParameterName, 6>& getHestrelParameterNames() noexcept
{
    static const std::array<HestrelParameterName, 6> names {{ { "rmsWindow",   "RMS Window" },
                                                              { "bleedReject", "Bleed Rejection" },
                                                              { "threshold",   "Noise Floor" },
                                                              { "smoothing",   "Smoothing" },
                                                              { "weight",      "Weight" },
                                                              { "maxAtten",    "Max Attenuation" } }};
    return names;
}

juce::File findDefaultPluginBundle()
{
    const juce::File installed ("~/.vst3/Hestrel.vst3");
    const juce::File built (HESTREL_BUILT_BUNDLE);

    if (installed.isDirectory())
        return installed;

    if (built.isDirectory())
        return built;

    return installed;
}

namespace
{
    /** The numeric ID that JUCE's VST3 wrapper gives a parameter: the hash of its ID string with
        the top bit cleared. A hosted instance reports it as the parameter's ID.
    */
    juce::String getVst3ParameterID (const juce::String& parameterID)
    {
        const auto hash = (juce::uint32) parameterID.hashCode() & 0x7fffffffu;
        return juce::String (hash);
    }

    /** Checks that the bundle's library opens and offers a VST3 factory, so that a broken bundle
        gets its own message instead of JUCE's scan simply finding nothing in it.
    */
    juce::Result checkBundleLibrary (const juce::File& bundle)
    {
       #if JUCE_LINUX
        struct utsname machine {};

        if (uname (&machine) != 0)
            return juce::Result::ok();

        const auto library = bundle.getChildFile ("Contents").getChildFile (juce::String (machine.machine) + "-linux")
                                   .getChildFile (bundle.getFileNameWithoutExtension() + ".so");

        if (! library.existsAsFile())
            return juce::Result::fail (bundle.getFullPathName() + " has no " + library.getRelativePathFrom (bundle));

        auto* handle = dlopen (library.getFullPathName().toRawUTF8(), RTLD_LAZY | RTLD_LOCAL);

        if (handle == nullptr)
        {
            const auto* reason = dlerror();
            return juce::Result::fail (juce::String (reason != nullptr ? reason : "it cannot be opened"));
        }

        const auto hasFactory = dlsym (handle, "GetPluginFactory") != nullptr;
        dlclose (handle);

        if (! hasFactory)
            return juce::Result::fail (library.getFullPathName() + " is not a VST3 plug-in (no GetPluginFactory)");
       #else
        juce::ignoreUnused (bundle);
       #endif

        return juce::Result::ok();
    }

    bool isKnownParameterID (const juce::String& parameterID)
    {
        for (const auto& name : getHestrelParameterNames())
            if (parameterID == name.parameterID)
                return true;

        return false;
    }

    const char* getDisplayNameFor (const juce::String& parameterID)
    {
        for (const auto& name : getHestrelParameterNames())
            if (parameterID == name.parameterID)
                return name.displayName;

        return "";
    }

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

HostedPlugins::~HostedPlugins()
{
    unload();
}

juce::Result HostedPlugins::load (const juce::File& bundle, int numInstances, double sampleRate, int blockSize)
{
    JUCE_ASSERT_MESSAGE_THREAD
    unload();

    const auto path = bundle.getFullPathName();

    if (! bundle.exists())
        return juce::Result::fail ("plug-in not found: " + path);

    if (const auto library = checkBundleLibrary (bundle); library.failed())
        return juce::Result::fail ("the plug-in failed to load: " + library.getErrorMessage());

    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> types;
    format.findAllTypesForFile (types, path);

    if (types.isEmpty())
        return juce::Result::fail ("the plug-in failed to load: " + path + " is not a loadable VST3 bundle");

    for (int i = 0; i < numInstances; ++i)
    {
        juce::String error;
        auto instance = format.createInstanceFromDescription (*types.getFirst(), sampleRate, blockSize, error);

        if (instance == nullptr)
        {
            unload();
            return juce::Result::fail ("the plug-in failed to load: " + path
                                       + (error.isNotEmpty() ? " (" + error + ")" : juce::String()));
        }

        instances.add (std::move (instance));
    }

    for (const auto& name : getHestrelParameterNames())
        if (findParameter (*instances.getFirst(), name.parameterID) == nullptr)
        {
            unload();
            return juce::Result::fail ("the plug-in at " + path + " is not Hestrel: it has no parameter " + name.parameterID);
        }

    return juce::Result::ok();
}

juce::AudioProcessorParameter* HostedPlugins::findParameter (juce::AudioPluginInstance& instance, const juce::String& parameterID)
{
    if (! isKnownParameterID (parameterID))
        return nullptr;

    const auto vst3ID = getVst3ParameterID (parameterID);
    juce::AudioProcessorParameter* byName = nullptr;

    for (auto* parameter : instance.getParameters())
    {
        if (auto* hosted = dynamic_cast<juce::HostedAudioProcessorParameter*> (parameter))
            if (hosted->getParameterID() == vst3ID || hosted->getParameterID() == parameterID)
                return parameter;

        if (byName == nullptr && parameter->getName (100) == getDisplayNameFor (parameterID))
            byName = parameter;
    }

    return byName;
}

juce::String HostedPlugins::getValueText (juce::AudioPluginInstance& instance, const juce::String& parameterID)
{
    auto* parameter = findParameter (instance, parameterID);
    return parameter != nullptr ? parameter->getText (parameter->getValue(), 100) : juce::String();
}

juce::Result HostedPlugins::applySettings (const juce::Array<ParameterSetting>& settings)
{
    JUCE_ASSERT_MESSAGE_THREAD

    // Check everything first, so that a bad setting changes nothing.
    for (const auto& setting : settings)
    {
        if (! isKnownParameterID (setting.parameterID))
        {
            juce::StringArray known;

            for (const auto& name : getHestrelParameterNames())
                known.add (name.parameterID);

            return juce::Result::fail ("unknown parameter ID \"" + setting.parameterID + "\" (known: " + known.joinIntoString (", ") + ")");
        }

        if (! startsWithNumber (setting.valueText))
            return juce::Result::fail ("the value for " + setting.parameterID + " is not a number: \"" + setting.valueText + "\"");

        if (setting.track >= instances.size())
            return juce::Result::fail ("track " + juce::String (setting.track + 1) + " is out of range: there are "
                                       + juce::String (instances.size()) + " tracks");
    }

    for (const auto& setting : settings)
    {
        for (int i = 0; i < instances.size(); ++i)
        {
            if (setting.track >= 0 && setting.track != i)
                continue;

            auto* parameter = findParameter (*instances.getUnchecked (i), setting.parameterID);
            jassert (parameter != nullptr);
            parameter->setValue (parameter->getValueForText (setting.valueText));
        }
    }

    return juce::Result::ok();
}

juce::Result HostedPlugins::prepare (const juce::Array<int>& channelsPerInstance, double sampleRate, int blockSize)
{
    JUCE_ASSERT_MESSAGE_THREAD
    jassert (channelsPerInstance.size() == instances.size());

    for (int i = 0; i < instances.size(); ++i)
    {
        auto& instance = *instances.getUnchecked (i);
        const auto layoutSet = channelsPerInstance[i] == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();

        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (layoutSet);
        layout.outputBuses.add (layoutSet);

        if (! instance.setBusesLayout (layout))
            return juce::Result::fail ("the plug-in refused a " + layoutSet.getDescription() + " layout for track " + juce::String (i + 1));

        instance.setNonRealtime (true);
        instance.prepareToPlay (sampleRate, blockSize);
    }

    prepared = true;
    return juce::Result::ok();
}

void HostedPlugins::unload()
{
    if (prepared)
        for (auto* instance : instances)
            instance->releaseResources();

    prepared = false;

    // Newest first, as a host tears down a session; the registry frees the slots in any order.
    while (! instances.isEmpty())
        instances.removeLast();
}
