// The VST3 calls hosts rely on, made straight on the bundle's component: activation and
// processing in every legal order, processing from another thread, a process call that carries
// only parameter changes, and bus activation. The component comes from JUCE's host, which
// leaves it initialised and inactive until prepareToPlay; these tests return it to that.

#include "HostedPlugin.h"

#include <HostedInstances.h>
#include <HostedParameters.h>
#include <identity/HestrelIdentity.h>

#include <gtest/gtest.h>

#include <pluginterfaces/vst/ivstaudioprocessor.h>
#include <pluginterfaces/vst/ivstcomponent.h>
#include <pluginterfaces/vst/ivstparameterchanges.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <thread>

namespace
{
    using namespace Steinberg;

    /** Stack-owned COM objects: the plug-in only borrows them during one call. */
    template <typename Interface>
    struct Borrowed  : public Interface
    {
        tresult PLUGIN_API queryInterface (const TUID, void** obj) override    { *obj = nullptr; return kNoInterface; }
        uint32 PLUGIN_API addRef() override                                     { return 1; }
        uint32 PLUGIN_API release() override                                    { return 1; }
    };

    struct OnePointQueue  : public Borrowed<Vst::IParamValueQueue>
    {
        Vst::ParamID id = 0;
        Vst::ParamValue value = 0;

        Vst::ParamID PLUGIN_API getParameterId() override    { return id; }
        int32 PLUGIN_API getPointCount() override            { return 1; }

        tresult PLUGIN_API getPoint (int32 index, int32& sampleOffset, Vst::ParamValue& pointValue) override
        {
            if (index != 0)
                return kResultFalse;

            sampleOffset = 0;
            pointValue = value;
            return kResultTrue;
        }

        tresult PLUGIN_API addPoint (int32, Vst::ParamValue, int32&) override    { return kResultFalse; }
    };

    struct OneParameterChange  : public Borrowed<Vst::IParameterChanges>
    {
        OnePointQueue queue;

        int32 PLUGIN_API getParameterCount() override                             { return 1; }
        Vst::IParamValueQueue* PLUGIN_API getParameterData (int32 index) override { return index == 0 ? &queue : nullptr; }
        Vst::IParamValueQueue* PLUGIN_API addParameterData (const Vst::ParamID&, int32&) override    { return nullptr; }
    };

    /** The wrapper's numeric ID of a parameter, as the host library derives it. */
    Vst::ParamID vstParamID (const char* parameterID)
    {
        return (Vst::ParamID) HestrelHost::getVst3ParameterID (parameterID).getLargeIntValue();
    }

    struct Component
    {
        explicit Component (juce::AudioPluginInstance& instance)
            : component (HostedPlugin::componentOf (instance))
        {
            if (component != nullptr)
            {
                component->queryInterface (Vst::IAudioProcessor::iid, reinterpret_cast<void**> (&processor));

                // Hosts switch on the buses they use; until then the wrapper feeds silence.
                component->activateBus (Vst::kAudio, Vst::kInput, 0, true);
                component->activateBus (Vst::kAudio, Vst::kOutput, 0, true);
            }
        }

        ~Component()
        {
            if (processor != nullptr)
                processor->release();
        }

        bool setup (double sampleRate = 48000.0, int maxBlock = 256)
        {
            Vst::ProcessSetup setup { Vst::kRealtime, Vst::kSample32, maxBlock, sampleRate };
            return processor->setupProcessing (setup) == kResultOk;
        }

        /** One stereo block of a sine at the given level, out of place; true if the plug-in wrote
            every output sample and all of them are finite.
        */
        bool processStereo (int numSamples = 256, float level = 0.5f)
        {
            std::vector<float> input ((size_t) numSamples);

            for (int i = 0; i < numSamples; ++i)
                input[(size_t) i] = level * std::sin (0.05f * (float) i + 0.3f);

            const auto output = processOutOfPlace (input);
            return std::all_of (output.begin(), output.end(), [] (float x) { return std::isfinite (x) && x != 9.0f; });
        }

        /** One stereo block, out of place; the output as the plug-in left it. */
        std::vector<float> processOutOfPlace (const std::vector<float>& input)
        {
            const auto numSamples = (int) input.size();
            std::vector<float> inLeft (input), inRight (input);
            std::vector<float> outLeft (input.size(), 9.0f), outRight (input.size(), 9.0f);

            float* inputChannels[] = { inLeft.data(), inRight.data() };
            float* outputChannels[] = { outLeft.data(), outRight.data() };
            Vst::AudioBusBuffers inputBus {}, outputBus {};
            inputBus.numChannels = outputBus.numChannels = 2;
            inputBus.channelBuffers32 = inputChannels;
            outputBus.channelBuffers32 = outputChannels;

            Vst::ProcessData data {};
            data.processMode = Vst::kRealtime;
            data.symbolicSampleSize = Vst::kSample32;
            data.numSamples = numSamples;
            data.numInputs = data.numOutputs = 1;
            data.inputs = &inputBus;
            data.outputs = &outputBus;

            if (processor->process (data) != kResultTrue || outLeft != outRight)
                return {};

            return outLeft;
        }

        /** A call with no audio at all, only one parameter change, as hosts flush automation. */
        bool sendParameterOnly (Vst::ParamID id, double normalised)
        {
            OneParameterChange changes;
            changes.queue.id = id;
            changes.queue.value = normalised;

            Vst::ProcessData data {};
            data.processMode = Vst::kRealtime;
            data.symbolicSampleSize = Vst::kSample32;
            data.inputParameterChanges = &changes;
            return processor->process (data) == kResultTrue;
        }

        Vst::IComponent* component = nullptr;
        Vst::IAudioProcessor* processor = nullptr;
    };
}

/** A hosted instance and its VST3 component, switched on as a host would use it. */
class Vst3Lifecycle  : public ::testing::Test
{
protected:
    void SetUp() override
    {
        instance = HostedPlugin::create();
        ASSERT_NE (instance, nullptr);
        hosted.emplace (*instance);
        ASSERT_NE (hosted->processor, nullptr);
    }

    std::unique_ptr<juce::AudioPluginInstance> instance;
    std::optional<Component> hosted;     // after the instance, so that it goes first
};

TEST_F (Vst3Lifecycle, ActivationAndProcessingInEveryLegalOrderRepeated)
{
    auto& vst = *hosted;

    for (int round = 0; round < 3; ++round)
    {
        // Active without ever processing; processing switched off that was never on.
        ASSERT_TRUE (vst.setup (44100.0 * (round + 1), 128 << round));
        EXPECT_EQ (vst.component->setActive (true), kResultOk);
        EXPECT_EQ (vst.processor->setProcessing (false), kResultTrue);
        EXPECT_EQ (vst.component->setActive (false), kResultOk);

        // The usual road, with audio before and after processing is switched on.
        EXPECT_EQ (vst.component->setActive (true), kResultOk);
        EXPECT_TRUE (vst.processStereo());
        EXPECT_EQ (vst.processor->setProcessing (true), kResultTrue);
        EXPECT_TRUE (vst.processStereo());
        EXPECT_EQ (vst.processor->setProcessing (false), kResultTrue);
        EXPECT_EQ (vst.processor->setProcessing (true), kResultTrue);
        EXPECT_TRUE (vst.processStereo (1));
        EXPECT_EQ (vst.processor->setProcessing (false), kResultTrue);
        EXPECT_EQ (vst.component->setActive (false), kResultOk);
    }

    // Terminated and initialised again, as hosts do when they reload a plug-in in place.
    EXPECT_EQ (vst.component->terminate(), kResultTrue);
    EXPECT_EQ (vst.component->initialize (nullptr), kResultTrue);
    ASSERT_TRUE (vst.setup());
    EXPECT_EQ (vst.component->setActive (true), kResultOk);
    EXPECT_EQ (vst.processor->setProcessing (true), kResultTrue);
    EXPECT_TRUE (vst.processStereo());
    EXPECT_EQ (vst.processor->setProcessing (false), kResultTrue);
    EXPECT_EQ (vst.component->setActive (false), kResultOk);
}

TEST_F (Vst3Lifecycle, ProcessingOnAnotherThreadThanTheSetUp)
{
    auto& vst = *hosted;

    ASSERT_TRUE (vst.setup());
    ASSERT_EQ (vst.component->setActive (true), kResultOk);

    bool allGood = true;
    std::thread audio ([&]
    {
        vst.processor->setProcessing (true);

        for (int block = 0; block < 200; ++block)
            allGood &= vst.processStereo();

        vst.processor->setProcessing (false);
    });

    audio.join();
    EXPECT_TRUE (allGood);
    EXPECT_EQ (vst.component->setActive (false), kResultOk);
}

TEST_F (Vst3Lifecycle, AProcessCallWithOnlyParameterChangesSetsThem)
{
    auto& vst = *hosted;

    ASSERT_TRUE (vst.setup());
    ASSERT_EQ (vst.component->setActive (true), kResultOk);
    ASSERT_EQ (vst.processor->setProcessing (true), kResultTrue);

    EXPECT_TRUE (vst.sendParameterOnly (vstParamID (ParameterIDs::weight), 0.25));   // 50 %
    EXPECT_TRUE (vst.sendParameterOnly (vstParamID (ParameterIDs::maxAtten), std::nan ("")));
    EXPECT_TRUE (vst.processStereo());

    EXPECT_EQ (vst.processor->setProcessing (false), kResultTrue);
    EXPECT_EQ (vst.component->setActive (false), kResultOk);

    const auto state = HestrelHost::getComponentState (*instance);
    const auto text = juce::String::fromUTF8 (static_cast<const char*> (state.getData()) + 8, 300);
    EXPECT_TRUE (text.contains ("<PARAM id=\"weight\" value=\"50.0\"/>")) << text;
    EXPECT_TRUE (text.contains ("<PARAM id=\"maxAtten\" value=\"-60.0\"/>")) << text;
}

TEST_F (Vst3Lifecycle, BusesSwitchedOffAndOnAgain)
{
    auto& vst = *hosted;
    ASSERT_TRUE (vst.setup());

    for (const auto direction : { Vst::kInput, Vst::kOutput })
    {
        EXPECT_EQ (vst.component->activateBus (Vst::kAudio, direction, 0, false), kResultTrue);
        EXPECT_EQ (vst.component->setActive (true), kResultOk);
        EXPECT_EQ (vst.processor->setProcessing (true), kResultTrue);

        // With the input off the plug-in hears silence; with the output off nothing is asked of it.
        const std::vector<float> input (256, 0.25f);
        const auto output = vst.processOutOfPlace (input);
        ASSERT_EQ (output.size(), input.size());

        if (direction == Vst::kInput)
        {
            EXPECT_TRUE (std::all_of (output.begin(), output.end(), [] (float x) { return x == 0.0f; }));
        }

        EXPECT_EQ (vst.processor->setProcessing (false), kResultTrue);
        EXPECT_EQ (vst.component->setActive (false), kResultOk);

        EXPECT_EQ (vst.component->activateBus (Vst::kAudio, direction, 0, true), kResultTrue);
        EXPECT_EQ (vst.component->setActive (true), kResultOk);
        EXPECT_TRUE (vst.processStereo());
        EXPECT_EQ (vst.component->setActive (false), kResultOk);
    }

    // Buses that do not exist are refused, not crashed on.
    EXPECT_NE (vst.component->activateBus (Vst::kAudio, Vst::kInput, 5, true), kResultTrue);
    EXPECT_NE (vst.component->activateBus (Vst::kEvent, Vst::kInput, 0, true), kResultTrue);
}

// A host that sends more samples than it announced in setupProcessing gets every one processed.
TEST_F (Vst3Lifecycle, BlocksLongerThanAnnouncedAreProcessedWhole)
{
    auto& vst = *hosted;

    ASSERT_TRUE (vst.setup (48000.0, 64));
    ASSERT_EQ (vst.component->setActive (true), kResultOk);
    ASSERT_EQ (vst.processor->setProcessing (true), kResultTrue);

    std::vector<float> input (1000);

    for (size_t i = 0; i < input.size(); ++i)
        input[i] = 0.5f * std::sin (0.03f * (float) i);

    // The only instance: its share is the whole mix, so its gain stays at exactly 1.
    const std::vector<float> shortInput (input.begin(), input.begin() + 64);
    EXPECT_EQ (vst.processOutOfPlace (shortInput), shortInput);
    EXPECT_EQ (vst.processOutOfPlace (input), input);

    Vst::ProcessData negative {};
    negative.symbolicSampleSize = Vst::kSample32;
    negative.numSamples = -5;
    EXPECT_NE (vst.processor->process (negative), kResultTrue);

    EXPECT_EQ (vst.processor->setProcessing (false), kResultTrue);
    EXPECT_EQ (vst.component->setActive (false), kResultOk);
}
