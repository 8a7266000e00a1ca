#include "PluginProcessor.h"
#include "SharedBleedManager.h"
#include "../common/StateBlob.h"

#include <gtest/gtest.h>

#include <optional>

namespace
{
    juce::MemoryBlock blobFrom (const juce::String& xmlText, std::optional<int> lengthField = {})
    {
        return stateBlobAround (xmlText.toStdString(), lengthField);
    }

    juce::String xmlWith (const juce::String& children, const juce::String& tag = "Parameters")
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?> <" + tag + ">" + children + "</" + tag + ">";
    }

    juce::String param (const char* id, const char* value)
    {
        return juce::String ("<PARAM id=\"") + id + "\" value=\"" + value + "\"/>";
    }

    juce::MemoryBlock save (ZIDodavAzaviduroProcessor& p)
    {
        juce::MemoryBlock block;
        p.getStateInformation (block);
        return block;
    }

    void load (ZIDodavAzaviduroProcessor& p, const juce::MemoryBlock& block)
    {
        p.setStateInformation (block.getData(), (int) block.getSize());
    }

    juce::String xmlOf (const juce::MemoryBlock& blob)
    {
        return juce::String::fromUTF8 (static_cast<const char*> (blob.getData()) + 8, (int) blob.getSize() - 9);
    }

    float value (ZIDodavAzaviduroProcessor& p, const char* id)
    {
        return p.parameters.getRawParameterValue (id)->load();
    }

    void set (ZIDodavAzaviduroProcessor& p, const char* id, float plain)
    {
        auto* parameter = p.parameters.getParameter (id);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (plain));
    }

    const juce::String freshXml = xmlWith (param (ParameterIDs::bleedReject, "-12.0") + param (ParameterIDs::maxAtten, "-60.0")
                                           + param (ParameterIDs::rmsWindow, "300.0") + param (ParameterIDs::smoothing, "5.0")
                                           + param (ParameterIDs::threshold, "-60.0") + param (ParameterIDs::weight, "100.0"));
}

TEST (State, FreshInstanceSavesTheExactBlob)
{
    ZIDodavAzaviduroProcessor p;
    const auto blob = save (p);

    ASSERT_EQ (blob.getSize(), 291u);
    const auto* bytes = static_cast<const juce::uint8*> (blob.getData());
    const juce::uint8 header[] = { 0x56, 0x43, 0x32, 0x21, 0x1A, 0x01, 0x00, 0x00 };

    for (int i = 0; i < 8; ++i)
        EXPECT_EQ (bytes[i], header[i]) << "byte " << i;

    EXPECT_EQ (bytes[290], 0);
    EXPECT_EQ (xmlOf (blob), freshXml);
    EXPECT_EQ (blob, blobFrom (freshXml));
}

TEST (State, SaveLoadSaveGivesTheSameBytesAndValues)
{
    ZIDodavAzaviduroProcessor a;
    set (a, ParameterIDs::rmsWindow, 123.0f);
    set (a, ParameterIDs::bleedReject, -20.5f);
    set (a, ParameterIDs::threshold, -47.3f);
    set (a, ParameterIDs::smoothing, 25.4f);
    set (a, ParameterIDs::weight, 37.0f);
    set (a, ParameterIDs::maxAtten, -18.5f);
    const auto first = save (a);

    ZIDodavAzaviduroProcessor b;
    load (b, first);
    EXPECT_EQ (save (b), first);

    for (const auto& parameter : hestrelParameters)
        EXPECT_EQ (value (b, parameter.parameterID), value (a, parameter.parameterID)) << parameter.parameterID;

    // The parameter holds the float 25.4 widened to double, which is not written as "25.4".
    EXPECT_FALSE (xmlOf (first).contains ("\"25.4\""));
}

TEST (State, RejectedBlobsChangeNothing)
{
    ZIDodavAzaviduroProcessor p;
    set (p, ParameterIDs::rmsWindow, 500.0f);
    const auto before = save (p);

    const auto goodText = xmlWith (param (ParameterIDs::rmsWindow, "20"));
    auto wrongMagic = blobFrom (goodText);
    static_cast<char*> (wrongMagic.getData())[0] = 'X';

    const std::vector<std::pair<const char*, juce::MemoryBlock>> blobs {
        { "empty",         {} },
        { "eight bytes",   juce::MemoryBlock (blobFrom (goodText).getData(), 8) },
        { "wrong magic",   wrongMagic },
        { "zero length",   blobFrom (goodText, 0) },
        { "negative",      blobFrom (goodText, (int) 0xFFFFFFFBu) },
        { "cut end tag",   blobFrom (goodText.dropLastCharacters (13)) },
        { "cut in child",  blobFrom (goodText.dropLastCharacters (20)) },
        { "cut in half",   blobFrom (goodText.substring (0, goodText.length() / 2)) },
        { "not xml",       blobFrom ("just some words") },
        { "empty text",    blobFrom ("", 1) },
        { "other root",    blobFrom (xmlWith (param (ParameterIDs::rmsWindow, "20"), "Settings")) },
        { "cut character", stateBlobAround (goodText.toStdString() + "\xf0\x9f") },
        { "bad utf-8",     stateBlobAround ("<Parameters><PARAM id=\"rmsWindow\" value=\"20\" note=\"\xff\"/></Parameters>") },
    };

    for (const auto& [name, blob] : blobs)
    {
        load (p, blob);
        EXPECT_EQ (value (p, ParameterIDs::rmsWindow), 500.0f) << name;
        EXPECT_EQ (save (p), before) << name;
    }

    p.setStateInformation (nullptr, 100);
    EXPECT_EQ (save (p), before);
}

TEST (State, LoadedValuesAreClampedSnappedOrDefaulted)
{
    struct Case { const char* name; juce::String children; const char* id; float expected; };
    const Case cases[] = {
        { "clamped",        param (ParameterIDs::rmsWindow, "5000"),          ParameterIDs::rmsWindow,   1000.0f },
        { "snapped",        param (ParameterIDs::bleedReject, "-12.26"),      ParameterIDs::bleedReject, -12.5f },
        { "no value",       "<PARAM id=\"rmsWindow\"/>",          ParameterIDs::rmsWindow,   300.0f },
        { "nan value",      param (ParameterIDs::rmsWindow, "nan"),           ParameterIDs::rmsWindow,   300.0f },
        { "no number",      param (ParameterIDs::weight, "loud"),             ParameterIDs::weight,      0.0f },
        { "inf value",      param (ParameterIDs::smoothing, "inf"),           ParameterIDs::smoothing,   100.0f },
    };

    for (const auto& c : cases)
    {
        ZIDodavAzaviduroProcessor p;
        set (p, c.id, juce::String (c.id) == ParameterIDs::weight ? 150.0f : -20.0f);
        set (p, ParameterIDs::rmsWindow, 700.0f);
        load (p, blobFrom (xmlWith (c.children)));
        EXPECT_FLOAT_EQ (value (p, c.id), c.expected) << c.name;
        EXPECT_TRUE (std::isfinite (value (p, c.id))) << c.name;
    }
}

TEST (State, MissingParameterKeepsItsValueAndIsAppended)
{
    ZIDodavAzaviduroProcessor p;
    set (p, ParameterIDs::weight, 150.0f);
    load (p, blobFrom (xmlWith (param (ParameterIDs::rmsWindow, "450") + param (ParameterIDs::maxAtten, "-6"))));

    EXPECT_FLOAT_EQ (value (p, ParameterIDs::weight), 150.0f);
    EXPECT_FLOAT_EQ (value (p, ParameterIDs::rmsWindow), 450.0f);
    EXPECT_FLOAT_EQ (value (p, ParameterIDs::maxAtten), -6.0f);

    const auto tree = p.parameters.copyState();
    ASSERT_EQ (tree.getNumChildren(), 6);
    EXPECT_EQ (tree.getChild (0)["id"].toString(), ParameterIDs::rmsWindow);
    EXPECT_EQ (tree.getChild (1)["id"].toString(), ParameterIDs::maxAtten);

    bool weightAfterLoaded = false;
    for (int i = 2; i < 6; ++i)
        weightAfterLoaded |= tree.getChild (i)["id"].toString() == ParameterIDs::weight;

    EXPECT_TRUE (weightAfterLoaded);
}

TEST (State, ForeignContentAndLoadedTextsSurviveTheNextSave)
{
    ZIDodavAzaviduroProcessor p;
    const auto children = param (ParameterIDs::rmsWindow, "300") + "<EXTRA note=\"keep me\"/>"
                          + param ("futureKnob", "3.5") + param (ParameterIDs::weight, "5000");
    load (p, blobFrom (xmlWith (children, "parameters")));

    EXPECT_FLOAT_EQ (value (p, ParameterIDs::weight), 200.0f);
    const auto saved = xmlOf (save (p));

    EXPECT_TRUE (saved.contains ("<parameters>")) << saved;
    EXPECT_TRUE (saved.contains (param (ParameterIDs::rmsWindow, "300"))) << saved;
    EXPECT_TRUE (saved.contains ("<EXTRA note=\"keep me\"/>")) << saved;
    EXPECT_TRUE (saved.contains (param ("futureKnob", "3.5"))) << saved;
    EXPECT_TRUE (saved.contains (param (ParameterIDs::weight, "200.0"))) << saved;
}

TEST (State, LengthFieldBeyondTheDataUsesWhatIsThere)
{
    ZIDodavAzaviduroProcessor p;
    load (p, blobFrom (xmlWith (param (ParameterIDs::rmsWindow, "77")), 100000));
    EXPECT_FLOAT_EQ (value (p, ParameterIDs::rmsWindow), 77.0f);
}

TEST (State, LoadingKeepsTheSlot)
{
    ZIDodavAzaviduroProcessor p;
    const auto slot = p.slotIndex;
    load (p, blobFrom (freshXml));
    EXPECT_EQ (p.slotIndex, slot);
    EXPECT_EQ (SharedBleedManager::getInstance().getActiveCount(), 1);
}

TEST (State, DamagedBlobsNeverLeaveAValueOutOfRange)
{
    ZIDodavAzaviduroProcessor p;
    const auto valid = save (p);
    juce::Random random (2026);

    // Flipped bytes, cut tails and spliced garbage over a real blob, as a corrupt project would hold.
    for (int round = 0; round < 2000; ++round)
    {
        juce::MemoryBlock blob (valid);
        auto* bytes = static_cast<juce::uint8*> (blob.getData());

        for (int flips = random.nextInt ({ 1, 6 }); --flips >= 0;)
            bytes[random.nextInt ((int) blob.getSize())] = (juce::uint8) random.nextInt (256);

        const auto size = random.nextBool() ? (int) blob.getSize() : random.nextInt ((int) blob.getSize());
        p.setStateInformation (blob.getData(), size);

        for (auto* parameter : p.getParameters())
        {
            const auto normalised = parameter->getValue();
            ASSERT_TRUE (normalised >= 0.0f && normalised <= 1.0f) << "round " << round;
        }

        for (const auto& parameter : hestrelParameters)
            ASSERT_TRUE (std::isfinite (value (p, parameter.parameterID))) << parameter.parameterID << " in round " << round;
    }
}
