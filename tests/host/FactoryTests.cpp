// What a host's scanner reads straight from the module's VST3 factory.

#include "HostedPlugin.h"

#include <HestrelBundle.h>

#include <pluginterfaces/base/ipluginbase.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace
{
    using namespace Steinberg;

    /** Opens the module the way a Linux VST3 host does: dlopen, ModuleEntry, GetPluginFactory. */
    class Module
    {
    public:
        Module()
        {
            const auto so = HestrelHost::getBundleLibrary (HostedPlugin::bundle());
            handle = dlopen (so.getFullPathName().toRawUTF8(), RTLD_NOW | RTLD_LOCAL);

            if (handle == nullptr)
                return;

            using Entry = bool (*) (void*);
            using GetFactory = IPluginFactory* (*)();
            auto entry = reinterpret_cast<Entry> (dlsym (handle, "ModuleEntry"));
            auto getFactory = reinterpret_cast<GetFactory> (dlsym (handle, "GetPluginFactory"));
            entered = entry != nullptr && entry (handle);

            if (entered && getFactory != nullptr)
                factory = getFactory();
        }

        ~Module()
        {
            if (factory != nullptr)
                factory->release();

            if (entered)
                if (auto exit = reinterpret_cast<bool (*)()> (dlsym (handle, "ModuleExit")))
                    exit();

            if (handle != nullptr)
                dlclose (handle);
        }

        void* handle = nullptr;
        bool entered = false;
        IPluginFactory* factory = nullptr;
    };

    std::string bytesOf (const TUID id)
    {
        return std::string (id, id + 16);
    }

    std::string classId (juce::uint32 w1, juce::uint32 w2, const char* manufacturer, const char* plugin)
    {
        std::string bytes;

        for (auto word : { w1, w2 })
            for (int shift = 24; shift >= 0; shift -= 8)
                bytes += (char) ((word >> shift) & 0xff);

        return bytes + std::string (manufacturer, 4) + std::string (plugin, 4);
    }
}

TEST (Factory, IdentityAsAHostScannerSeesIt)
{
    Module module;
    ASSERT_NE (module.handle, nullptr) << dlerror();
    ASSERT_TRUE (module.entered);
    ASSERT_NE (module.factory, nullptr);

    PFactoryInfo info;
    ASSERT_EQ (module.factory->getFactoryInfo (&info), kResultOk);
    EXPECT_STREQ (info.vendor, "VelmoraAudio");
    EXPECT_STREQ (info.url, "");
    EXPECT_STREQ (info.email, "");
    EXPECT_EQ (info.flags, 16);

    ASSERT_EQ (module.factory->countClasses(), 2);

    const struct { const char* category; std::string cid; } expected[] = {
        { "Audio Module Class",         classId (0xABCDEF01, 0x9182FAEB, "Vmra", "Hsrl") },
        { "Component Controller Class", classId (0xABCDEF01, 0x1234ABCD, "Vmra", "Hsrl") },
    };

    IPluginFactory2* factory2 = nullptr;
    const TUID factory2Iid = INLINE_UID (0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB);
    ASSERT_EQ (module.factory->queryInterface (factory2Iid, reinterpret_cast<void**> (&factory2)), kResultOk);
    ASSERT_NE (factory2, nullptr);

    for (int i = 0; i < 2; ++i)
    {
        PClassInfo classInfo;
        ASSERT_EQ (module.factory->getClassInfo (i, &classInfo), kResultOk);
        EXPECT_EQ (bytesOf (classInfo.cid), expected[i].cid) << "class " << i;
        EXPECT_STREQ (classInfo.category, expected[i].category);
        EXPECT_STREQ (classInfo.name, "Hestrel");
        EXPECT_EQ (classInfo.cardinality, 0x7FFFFFFF);

        PClassInfo2 info2;
        ASSERT_EQ (factory2->getClassInfo2 (i, &info2), kResultOk);
        EXPECT_STREQ (info2.vendor, "VelmoraAudio");
        EXPECT_STREQ (info2.version, "1.0.0");
        EXPECT_STREQ (info2.sdkVersion, "VST 3.7.2");
        EXPECT_EQ (info2.classFlags, 0u);

        if (i == 0)
        {
            EXPECT_STREQ (info2.subCategories, "Fx");
        }
    }

    factory2->release();
}

TEST (Factory, ScanShowsOneEffect)
{
    const auto description = HostedPlugin::describe();

    EXPECT_EQ (description.name, "Hestrel");
    EXPECT_EQ (description.manufacturerName, "VelmoraAudio");
    EXPECT_EQ (description.version, "1.0.0");
    EXPECT_EQ (description.category, "Fx");
    EXPECT_EQ (description.pluginFormatName, "VST3");
    EXPECT_FALSE (description.isInstrument);
    EXPECT_EQ (description.numInputChannels, 2);
    EXPECT_EQ (description.numOutputChannels, 2);
}
