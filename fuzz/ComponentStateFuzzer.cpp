// Feeds IComponent::setState of the built bundle (the state blob plus the VST3 wrapper's
// private-data trailer) what a damaged project could hold, the way a host restores it. The
// bundle is loaded with dlopen and driven through its factory, without JUCE on this side, so
// that the fuzzer and the plug-in share nothing but the VST3 interfaces.
//
// Checks after every input: no crash, hang or sanitizer report, and getState afterwards gives
// a state that setState takes back to the same bytes.

#include <pluginterfaces/base/funknown.h>
#include <pluginterfaces/base/ibstream.h>
#include <pluginterfaces/base/ipluginbase.h>
#include <pluginterfaces/vst/ivstcomponent.h>

#include <pluginterfaces/base/funknown.cpp>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace Steinberg;

DEF_CLASS_IID (FUnknown)
DEF_CLASS_IID (IBStream)
DEF_CLASS_IID (IPluginBase)
DEF_CLASS_IID (IPluginFactory)
DEF_CLASS_IID (Vst::IComponent)

extern "C" int LLVMFuzzerInitialize (int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size);

namespace
{
    [[noreturn]] void fail (const char* what)
    {
        std::fprintf (stderr, "hestrel_component_state_fuzzer: %s\n", what);
        std::abort();
    }

    /** A memory stream that the plug-in reads from or writes to. */
    class Stream  : public IBStream
    {
    public:
        std::vector<char> bytes;
        int64 position = 0;

        tresult PLUGIN_API queryInterface (const TUID iid, void** obj) override
        {
            if (FUnknownPrivate::iidEqual (iid, IBStream::iid) || FUnknownPrivate::iidEqual (iid, FUnknown::iid))
            {
                *obj = this;
                return kResultOk;
            }

            *obj = nullptr;
            return kNoInterface;
        }

        uint32 PLUGIN_API addRef() override     { return 1; }
        uint32 PLUGIN_API release() override    { return 1; }

        tresult PLUGIN_API read (void* buffer, int32 numBytes, int32* numBytesRead) override
        {
            const auto available = (int64) bytes.size() - position;
            const auto count = (int32) (numBytes < available ? numBytes : available);

            if (count > 0)
                std::memcpy (buffer, bytes.data() + position, (size_t) count);

            position += count > 0 ? count : 0;

            if (numBytesRead != nullptr)
                *numBytesRead = count > 0 ? count : 0;

            return kResultTrue;
        }

        tresult PLUGIN_API write (void* buffer, int32 numBytes, int32* numBytesWritten) override
        {
            if (numBytes < 0)
                return kInvalidArgument;

            if ((size_t) position + (size_t) numBytes > bytes.size())
                bytes.resize ((size_t) position + (size_t) numBytes);

            std::memcpy (bytes.data() + position, buffer, (size_t) numBytes);
            position += numBytes;

            if (numBytesWritten != nullptr)
                *numBytesWritten = numBytes;

            return kResultTrue;
        }

        tresult PLUGIN_API seek (int64 pos, int32 mode, int64* result) override
        {
            const auto base = mode == kIBSeekSet ? 0 : (mode == kIBSeekCur ? position : (int64) bytes.size());
            const auto target = base + pos;

            if (target < 0)
                return kResultFalse;

            position = target;

            if (result != nullptr)
                *result = position;

            return kResultTrue;
        }

        tresult PLUGIN_API tell (int64* pos) override
        {
            if (pos != nullptr)
                *pos = position;

            return kResultTrue;
        }
    };

    Vst::IComponent* component = nullptr;

    std::vector<char> currentState()
    {
        Stream out;

        if (component->getState (&out) != kResultOk && component->getState (&out) != kResultTrue)
            fail ("getState failed");

        return out.bytes;
    }

    void restore (const std::vector<char>& bytes)
    {
        Stream in;
        in.bytes = bytes;
        component->setState (&in);
    }

    std::string bundleLibrary (int argc, char** argv)
    {
        for (int i = 1; i < argc; ++i)
            if (std::strncmp (argv[i], "-plugin=", 8) == 0)
                return std::string (argv[i] + 8) + "/Contents/x86_64-linux/Hestrel.so";

        if (const auto* fromEnvironment = std::getenv ("HESTREL_VST3"))
            return std::string (fromEnvironment) + "/Contents/x86_64-linux/Hestrel.so";

        fail ("give the bundle in HESTREL_VST3=PATH/Hestrel.vst3");
    }
}

extern "C" int LLVMFuzzerInitialize (int* argc, char*** argv)
{
    const auto library = bundleLibrary (*argc, *argv);
    auto* handle = dlopen (library.c_str(), RTLD_NOW | RTLD_LOCAL);

    if (handle == nullptr)
        fail (dlerror());

    using EntryFunction = bool (*) (void*);
    using FactoryFunction = IPluginFactory* (PLUGIN_API*) ();
    auto moduleEntry = reinterpret_cast<EntryFunction> (dlsym (handle, "ModuleEntry"));
    auto getFactory = reinterpret_cast<FactoryFunction> (dlsym (handle, "GetPluginFactory"));

    if (moduleEntry == nullptr || getFactory == nullptr || ! moduleEntry (handle))
        fail ("the bundle has no usable VST3 entry points");

    auto* factory = getFactory();

    for (int32 i = 0; factory != nullptr && i < factory->countClasses(); ++i)
    {
        PClassInfo info {};

        if (factory->getClassInfo (i, &info) == kResultOk && std::strcmp (info.category, "Audio Module Class") == 0)
            factory->createInstance (info.cid, Vst::IComponent::iid, reinterpret_cast<void**> (&component));
    }

    if (component == nullptr || component->initialize (nullptr) != kResultOk)
        fail ("could not create the component");

    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    static const auto baseline = currentState();

    restore (baseline);
    restore (std::vector<char> (data, data + size));

    // Whatever the input left behind is a state the plug-in takes back unchanged.
    const auto after = currentState();
    restore (after);

    if (currentState() != after)
        fail ("a saved state does not restore to itself");

    return 0;
}
