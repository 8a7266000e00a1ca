#include "PluginProcessor.h"

#include <gtest/gtest.h>

namespace
{
    juce::RangedAudioParameter& param (ZIDodavAzaviduroProcessor& p, const char* id)
    {
        auto* parameter = p.parameters.getParameter (id);
        EXPECT_NE (parameter, nullptr) << id;
        return *parameter;
    }
}

TEST (Parameters, SixInHostOrderWithNamesDefaultsAndTexts)
{
    ZIDodavAzaviduroProcessor p;
    const auto& list = p.getParameters();
    ASSERT_EQ (list.size(), 6);

    // Spelt out here on purpose: the IDs reach saved projects and the names the host, so this
    // table pins what the shared identity header must keep saying.
    struct Expected { const char* id; const char* name; float defaultValue; const char* text; };
    const Expected expected[] = {
        { "rmsWindow",   "RMS Window",      300.0f, "300 ms" },
        { "bleedReject", "Bleed Rejection", -12.0f, "-12.0 dB" },
        { "threshold",   "Noise Floor",     -60.0f, "-60.0 dB" },
        { "smoothing",   "Smoothing",         5.0f, "5.0 ms" },
        { "weight",      "Weight",          100.0f, "100 %" },
        { "maxAtten",    "Max Attenuation", -60.0f, "-inf" },
    };

    for (int i = 0; i < 6; ++i)
    {
        auto* parameter = dynamic_cast<juce::AudioParameterFloat*> (list[i]);
        ASSERT_NE (parameter, nullptr);
        EXPECT_EQ (parameter->paramID, expected[i].id);
        EXPECT_EQ (parameter->getName (100), expected[i].name);
        EXPECT_STREQ (hestrelParameters[(size_t) i].parameterID, expected[i].id);
        EXPECT_STREQ (hestrelParameters[(size_t) i].displayName, expected[i].name);
        EXPECT_EQ (parameter->getLabel(), "");
        EXPECT_EQ (parameter->getCategory(), juce::AudioProcessorParameter::genericParameter);
        EXPECT_TRUE (parameter->isAutomatable());
        EXPECT_FLOAT_EQ (parameter->get(), expected[i].defaultValue);
        EXPECT_EQ (parameter->getCurrentValueAsText(), expected[i].text) << expected[i].id;
    }

    EXPECT_NEAR (param (p, ParameterIDs::rmsWindow).getDefaultValue(), 0.541f, 5e-4f);
    EXPECT_NEAR (param (p, ParameterIDs::smoothing).getDefaultValue(), 0.213f, 5e-4f);
}

TEST (Parameters, TextsAtNormalisedPositions)
{
    ZIDodavAzaviduroProcessor p;

    struct Case { const char* id; float normalised; const char* text; };
    for (const auto& c : { Case { ParameterIDs::rmsWindow, 0.0f, "10 ms" },   Case { ParameterIDs::rmsWindow, 0.5f, "258 ms" },
                           Case { ParameterIDs::rmsWindow, 1.0f, "1000 ms" }, Case { ParameterIDs::smoothing, 0.0f, "0.5 ms" },
                           Case { ParameterIDs::smoothing, 0.5f, "25.4 ms" }, Case { ParameterIDs::smoothing, 1.0f, "100.0 ms" },
                           Case { ParameterIDs::weight,    0.0f, "0 %" },     Case { ParameterIDs::weight,    1.0f, "200 %" } })
        EXPECT_EQ (param (p, c.id).getText (c.normalised, 0), c.text) << c.id << " at " << c.normalised;
}

TEST (Parameters, TextsAtPlainValues)
{
    ZIDodavAzaviduroProcessor p;

    struct Case { const char* id; float plain; const char* text; };
    for (const auto& c : { Case { ParameterIDs::maxAtten, -60.0f, "-inf" },     Case { ParameterIDs::maxAtten, -59.5f, "-inf" },
                           Case { ParameterIDs::maxAtten, -59.0f, "-59.0 dB" }, Case { ParameterIDs::maxAtten, 0.0f, "0.0 dB" },
                           Case { ParameterIDs::threshold, -80.0f, "-80.0 dB" }, Case { ParameterIDs::bleedReject, -3.0f, "-3.0 dB" } })
    {
        auto& parameter = param (p, c.id);
        EXPECT_EQ (parameter.getText (parameter.convertTo0to1 (c.plain), 0), c.text) << c.id << " at " << c.plain;
    }
}

TEST (Parameters, TypedTextSetsClampedSnappedValues)
{
    ZIDodavAzaviduroProcessor p;

    struct Case { const char* id; const char* text; float plain; };
    for (const auto& c : { Case { ParameterIDs::rmsWindow, "250", 250.0f },     Case { ParameterIDs::rmsWindow, "250 ms", 250.0f },
                           Case { ParameterIDs::rmsWindow, "5000", 1000.0f },   Case { ParameterIDs::rmsWindow, "fast", 10.0f },
                           Case { ParameterIDs::rmsWindow, "nan", 300.0f },      Case { ParameterIDs::rmsWindow, "inf", 1000.0f },
                           Case { ParameterIDs::maxAtten, "-inf", -60.0f },     Case { ParameterIDs::maxAtten, "nan", -60.0f },
                           Case { ParameterIDs::bleedReject, "-12.26", -12.5f }, Case { ParameterIDs::bleedReject, "-12.25", -12.0f },
                           Case { ParameterIDs::bleedReject, "NaN", -12.0f },    Case { ParameterIDs::threshold, "-42.04", -42.0f },
                           Case { ParameterIDs::smoothing, "7.77", 7.8f },      Case { ParameterIDs::weight, "150.4 %", 150.0f } })
    {
        auto& parameter = param (p, c.id);
        const auto normalised = parameter.getValueForText (c.text);
        ASSERT_TRUE (std::isfinite (normalised)) << c.id << " '" << c.text << "'";
        EXPECT_NEAR (parameter.convertFrom0to1 (normalised), c.plain, 1e-4f) << c.id << " '" << c.text << "'";
    }

    auto& maxAtten = param (p, ParameterIDs::maxAtten);
    EXPECT_EQ (maxAtten.getText (maxAtten.getValueForText ("-inf"), 0), "-inf");
}
