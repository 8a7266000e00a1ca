// Values a host, a user or a project may send that no parameter should keep: NaN, infinities,
// positions outside 0 to 1, texts, and loaded values that the binding clamps or snaps.

#include "PluginProcessor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
    juce::RangedAudioParameter& param (ZIDodavAzaviduroProcessor& p, const char* id)
    {
        return *p.parameters.getParameter (id);
    }

    float plain (ZIDodavAzaviduroProcessor& p, const char* id)
    {
        return p.parameters.getRawParameterValue (id)->load();
    }

    juce::String savedText (ZIDodavAzaviduroProcessor& p)
    {
        juce::MemoryBlock block;
        p.getStateInformation (block);
        return juce::String::fromUTF8 (static_cast<const char*> (block.getData()) + 8, (int) block.getSize() - 9);
    }

    void loadText (ZIDodavAzaviduroProcessor& p, const juce::String& children)
    {
        juce::MemoryBlock block;
        juce::AudioProcessor::copyXmlToBinary (*juce::parseXML ("<Parameters>" + children + "</Parameters>"), block);
        p.setStateInformation (block.getData(), (int) block.getSize());
    }

    float defaultOf (ZIDodavAzaviduroProcessor& p, const char* id)
    {
        auto& parameter = param (p, id);
        return parameter.convertFrom0to1 (parameter.getDefaultValue());
    }
}

TEST (HostileValues, AutomationNeverLeavesAParameterOffItsRange)
{
    constexpr auto nan = std::numeric_limits<float>::quiet_NaN();
    constexpr auto inf = std::numeric_limits<float>::infinity();

    struct Case { float normalised; const char* becomes; };
    const Case cases[] = { { nan, "default" }, { -nan, "default" }, { inf, "end" }, { -inf, "start" },
                           { -0.5f, "start" }, { 1.5f, "end" }, { 1e30f, "end" } };

    for (const auto& identity : hestrelParameters)
    {
        const auto* id = identity.parameterID;

        for (const auto& c : cases)
        {
            ZIDodavAzaviduroProcessor p;
            auto& parameter = param (p, id);
            parameter.setValueNotifyingHost (0.37f);
            parameter.setValueNotifyingHost (c.normalised);

            const auto& range = parameter.getNormalisableRange();
            const juce::String becomes (c.becomes);
            const auto expected = becomes == "default" ? defaultOf (p, id) : (becomes == "end" ? range.end : range.start);

            EXPECT_EQ (plain (p, id), expected) << id << " after " << c.normalised;
            EXPECT_TRUE (std::isfinite (parameter.getValue())) << id;
            EXPECT_FALSE (parameter.getCurrentValueAsText().containsIgnoreCase ("nan")) << id;
            EXPECT_FALSE (savedText (p).containsIgnoreCase ("nan")) << id;
        }
    }
}

TEST (HostileValues, TypedAndLoadedNanBothGiveTheDefault)
{
    for (const auto& identity : hestrelParameters)
    {
        const auto* id = identity.parameterID;

        for (const auto* nanText : { "nan", "NaN", "-nan", " nan dB" })
        {
            ZIDodavAzaviduroProcessor typed, loaded;
            param (typed, id).setValueNotifyingHost (0.8f);
            param (loaded, id).setValueNotifyingHost (0.8f);

            auto& parameter = param (typed, id);
            parameter.setValueNotifyingHost (parameter.getValueForText (nanText));
            loadText (loaded, "<PARAM id=\"" + juce::String (id) + "\" value=\"" + nanText + "\"/>");

            EXPECT_EQ (plain (typed, id), defaultOf (typed, id)) << id << " typed " << nanText;
            EXPECT_EQ (plain (loaded, id), plain (typed, id)) << id << " loaded " << nanText;
        }
    }
}

// A value the load changed is saved as the value it became, even when that equals the current one.
TEST (HostileValues, ClampedOrSnappedLoadedValuesAreSavedInDoubleForm)
{
    struct Case { const char* id; float current; const char* loaded; const char* saved; };
    const Case cases[] = {
        { ParameterIDs::weight,      200.0f,  "5000",   "200.0" },
        { ParameterIDs::rmsWindow,    10.0f,  "",       "10.0" },
        { ParameterIDs::rmsWindow,    10.0f,  "fast",   "10.0" },
        { ParameterIDs::bleedReject, -12.5f,  "-12.26", "-12.5" },
        { ParameterIDs::maxAtten,    -60.0f,  "-1e300", "-60.0" },
        { ParameterIDs::smoothing,     5.0f,  "nan",    "5.0" },
        { ParameterIDs::threshold,   -60.0f,  "-60",    "-60" },      // reads as the value it sets: kept as loaded
        { ParameterIDs::weight,      100.0f,  "77",     "77" },       // changes the value without clamping: kept too
    };

    for (const auto& c : cases)
    {
        ZIDodavAzaviduroProcessor p;
        auto& parameter = param (p, c.id);
        parameter.setValueNotifyingHost (parameter.convertTo0to1 (c.current));
        loadText (p, "<PARAM id=\"" + juce::String (c.id) + "\" value=\"" + c.loaded + "\"/>");

        const auto expected = "<PARAM id=\"" + juce::String (c.id) + "\" value=\"" + c.saved + "\"/>";
        EXPECT_TRUE (savedText (p).contains (expected)) << c.id << " loaded '" << c.loaded << "': " << savedText (p);
    }
}

// value -> text -> value lands on the grid point it started from, across each range.
TEST (HostileValues, TextRoundTripLandsOnTheSameGridPoint)
{
    ZIDodavAzaviduroProcessor p;

    for (const auto& identity : hestrelParameters)
    {
        const auto* id = identity.parameterID;

        auto& parameter = param (p, id);
        const auto& range = parameter.getNormalisableRange();
        const auto steps = (int) std::lround ((range.end - range.start) / range.interval);

        for (int step = 0; step <= steps; ++step)
        {
            const auto value = parameter.convertFrom0to1 (parameter.convertTo0to1 (range.start + (float) step * range.interval));
            const auto text = parameter.getText (parameter.convertTo0to1 (value), 0);
            const auto back = parameter.convertFrom0to1 (parameter.getValueForText (text));

            // The two lowest settings of maxAtten both mean "no floor" and both read "-inf".
            const auto expected = (juce::String (id) == ParameterIDs::maxAtten && value == -59.5f) ? -60.0f : value;
            ASSERT_EQ (back, expected) << id << " at " << value << " via '" << text << "'";
        }
    }
}
