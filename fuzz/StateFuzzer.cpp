// Feeds the processor's setStateInformation what a damaged or hand-edited project could hold,
// under AddressSanitizer and UndefinedBehaviorSanitizer, and checks after every input:
//
//  - every parameter is finite, inside its range and on its grid;
//  - a refused blob changes nothing: the state saved after it is byte for byte the one before;
//  - an accepted blob's re-saved state passes the text check again and loads, into a fresh
//    instance, to the same values.
//
// An input that starts with the magic "VC2!" is used as the whole blob; any other input is
// wrapped as the XML text of a blob, so both the header and the text get mutated. Two
// instances live for the whole run (constructing them per input would cost most of the time);
// each input starts from the same baseline state, loaded first.

#include "PluginProcessor.h"
#include "StateTextCheck.h"
#include "../tests/common/StateBlob.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
    void fail (const char* what)
    {
        std::fprintf (stderr, "hestrel_state_fuzzer: %s\n", what);
        std::abort();
    }

    juce::MemoryBlock blobFor (const uint8_t* data, size_t size)
    {
        if (size >= 4 && std::memcmp (data, "VC2!", 4) == 0)
            return { data, size };

        return stateBlobAround (std::string (reinterpret_cast<const char*> (data), size));
    }

    juce::MemoryBlock save (juce::AudioProcessor& p)
    {
        juce::MemoryBlock block;
        p.getStateInformation (block);
        return block;
    }

    /** What setStateInformation accepts, worked out apart from it. */
    bool isAcceptable (const juce::MemoryBlock& blob)
    {
        const auto* bytes = static_cast<const char*> (blob.getData());
        const auto size = (int) blob.getSize();

        if (size < 9 || juce::ByteOrder::littleEndianInt (bytes) != 0x21324356)
            return false;

        const auto textBytes = juce::jmin (size - 8, (int) juce::ByteOrder::littleEndianInt (bytes + 4));

        if (textBytes <= 0 || ! juce::CharPointer_UTF8::isValidString (bytes + 8, textBytes)
             || ! StateTextCheck::isSafeToParse (bytes + 8, (size_t) textBytes))
            return false;

        const auto xml = juce::AudioProcessor::getXmlFromBinary (bytes, size);
        return xml != nullptr && xml->hasTagName ("Parameters");
    }

    void checkValues (ZIDodavAzaviduroProcessor& p)
    {
        for (auto* parameter : p.parameters.processor.getParameters())
        {
            auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (parameter);
            const auto plain = p.parameters.getRawParameterValue (ranged->paramID)->load();
            const auto& range = ranged->getNormalisableRange();

            if (! std::isfinite (plain) || plain < range.start || plain > range.end)
                fail ("a parameter is outside its range");

            if (range.snapToLegalValue (plain) != plain)
                fail ("a parameter is off its grid");

            if (! std::isfinite (parameter->getValue()))
                fail ("a parameter's normalised value is not finite");
        }
    }

    bool sameValues (ZIDodavAzaviduroProcessor& a, ZIDodavAzaviduroProcessor& b)
    {
        for (auto* parameter : a.getParameters())
        {
            const auto& id = dynamic_cast<juce::RangedAudioParameter*> (parameter)->paramID;

            if (a.parameters.getRawParameterValue (id)->load() != b.parameters.getRawParameterValue (id)->load())
                return false;
        }

        return true;
    }
}

extern "C" int LLVMFuzzerInitialize (int*, char***);
extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size);

namespace
{
    // Never destroyed: libFuzzer leaves through exit(), after JUCE's own statics are gone.
    ZIDodavAzaviduroProcessor* fuzzed = nullptr;
    ZIDodavAzaviduroProcessor* reloaded = nullptr;
    juce::MemoryBlock baseline;
}

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    juce::initialiseJuce_GUI();
    fuzzed = new ZIDodavAzaviduroProcessor();
    reloaded = new ZIDodavAzaviduroProcessor();

    // Not the defaults, so that a blob that wrongly resets a value shows as a change.
    fuzzed->parameters.getParameter (ParameterIDs::weight)->setValueNotifyingHost (0.3f);
    fuzzed->parameters.getParameter (ParameterIDs::rmsWindow)->setValueNotifyingHost (0.7f);
    baseline = save (*fuzzed);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    if (size > (1 << 20))
        return -1;

    const auto blob = blobFor (data, size);
    const auto accepted = isAcceptable (blob);

    auto& p = *fuzzed;
    p.setStateInformation (baseline.getData(), (int) baseline.getSize());
    const auto before = save (p);

    p.setStateInformation (blob.getData(), (int) blob.getSize());
    checkValues (p);
    const auto after = save (p);

    if (! accepted)
    {
        if (after != before)
            fail ("a refused blob changed the state");

        return 0;
    }

    if (! isAcceptable (after))
        fail ("the state saved after an accepted blob would be refused");

    reloaded->setStateInformation (baseline.getData(), (int) baseline.getSize());
    reloaded->setStateInformation (after.getData(), (int) after.getSize());
    checkValues (*reloaded);

    if (! sameValues (p, *reloaded))
        fail ("the re-saved state loads to other values");

    return 0;
}
