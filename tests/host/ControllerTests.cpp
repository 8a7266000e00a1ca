// The edit controller as a host talks to it: a NaN sent with setParamNormalized must not be
// what the host reads back with getParamNormalized. The controller is a second one from the
// bundle's factory, connected to a hosted instance's component.

#include "HostedPlugin.h"

#include <HestrelBundle.h>

#include <gtest/gtest.h>

#include <pluginterfaces/base/ipluginbase.h>
#include <pluginterfaces/vst/ivstcomponent.h>
#include <pluginterfaces/vst/ivsteditcontroller.h>
#include <pluginterfaces/vst/ivstmessage.h>

#include <dlfcn.h>

#include <cmath>
#include <cstring>

namespace
{
    using namespace Steinberg;

    /** A new controller from the bundle's factory (the module JUCE's host already loaded). */
    Vst::IEditController* createController()
    {
        const auto library = HestrelHost::getBundleLibrary (HostedPlugin::bundle());
        auto* handle = dlopen (library.getFullPathName().toRawUTF8(), RTLD_NOW | RTLD_NOLOAD);

        if (handle == nullptr)
            return nullptr;

        using FactoryFunction = IPluginFactory* (PLUGIN_API*) ();
        auto getFactory = reinterpret_cast<FactoryFunction> (dlsym (handle, "GetPluginFactory"));
        auto* factory = getFactory != nullptr ? getFactory() : nullptr;
        Vst::IEditController* controller = nullptr;

        for (int32 i = 0; factory != nullptr && i < factory->countClasses(); ++i)
        {
            PClassInfo info {};

            if (factory->getClassInfo (i, &info) == kResultOk && std::strcmp (info.category, kVstComponentControllerClass) == 0)
                factory->createInstance (info.cid, Vst::IEditController::iid, reinterpret_cast<void**> (&controller));
        }

        dlclose (handle);
        return controller;
    }

    template <typename Interface>
    Interface* query (FUnknown* object)
    {
        Interface* result = nullptr;
        object->queryInterface (Interface::iid, reinterpret_cast<void**> (&result));
        return result;
    }
}

TEST (Controller, NanFromTheHostReadsBackAsTheDefault)
{
    auto instance = HostedPlugin::create();
    ASSERT_NE (instance, nullptr);

    auto* controller = createController();
    ASSERT_NE (controller, nullptr);
    ASSERT_EQ (controller->initialize (nullptr), kResultTrue);

    auto* controllerPoint = query<Vst::IConnectionPoint> (controller);
    auto* componentPoint = query<Vst::IConnectionPoint> (HostedPlugin::componentOf (*instance));
    ASSERT_NE (controllerPoint, nullptr);
    ASSERT_NE (componentPoint, nullptr);
    ASSERT_EQ (controllerPoint->connect (componentPoint), kResultTrue);
    ASSERT_EQ (controller->getParameterCount(), 7);

    for (int32 index = 0; index < 6; ++index)
    {
        Vst::ParameterInfo info {};
        ASSERT_EQ (controller->getParameterInfo (index, info), kResultTrue);

        controller->setParamNormalized (info.id, 0.5);
        controller->setParamNormalized (info.id, std::nan (""));
        const auto readBack = controller->getParamNormalized (info.id);

        EXPECT_NEAR (readBack, info.defaultNormalizedValue, 1e-6) << "parameter " << index;

        Vst::String128 text {};
        ASSERT_EQ (controller->getParamStringByValue (info.id, readBack, text), kResultTrue);
        EXPECT_FALSE (juce::String (juce::CharPointer_UTF16 (reinterpret_cast<const juce::CharPointer_UTF16::CharType*> (text)))
                          .containsIgnoreCase ("nan")) << "parameter " << index;
    }

    controllerPoint->disconnect (componentPoint);
    componentPoint->release();
    controllerPoint->release();
    controller->terminate();
    controller->release();
}
