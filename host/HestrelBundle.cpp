#include "HestrelBundle.h"

#if JUCE_LINUX
 #include <dlfcn.h>
 #include <sys/utsname.h>
#endif

juce::File HestrelHost::findDefaultBundle()
{
    const juce::File installed ("~/.vst3/Hestrel.vst3");
    const juce::File built (HESTREL_BUILT_BUNDLE);

    if (installed.isDirectory())
        return installed;

    if (built.isDirectory())
        return built;

    return installed;
}

juce::File HestrelHost::getBundleLibrary (const juce::File& bundle)
{
   #if JUCE_LINUX
    struct utsname machine {};

    if (uname (&machine) != 0)
        return {};

    return bundle.getChildFile ("Contents").getChildFile (juce::String (machine.machine) + "-linux")
                 .getChildFile (bundle.getFileNameWithoutExtension() + ".so");
   #else
    juce::ignoreUnused (bundle);
    return {};
   #endif
}

juce::Result HestrelHost::checkBundleLibrary (const juce::File& bundle)
{
   #if JUCE_LINUX
    const auto library = getBundleLibrary (bundle);

    if (library == juce::File())
        return juce::Result::ok();

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

juce::OwnedArray<juce::PluginDescription> HestrelHost::scanBundle (const juce::File& bundle)
{
    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> found;
    format.findAllTypesForFile (found, bundle.getFullPathName());
    return found;
}
