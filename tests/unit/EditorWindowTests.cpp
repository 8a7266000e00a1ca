// The Hestrel window headless: its layout, background, knobs bound to the parameters, and the
// texts that its tick writes, painted into images and driven through the real attachments.

#include "PluginEditor.h"
#include "SharedBleedManager.h"

#include <gtest/gtest.h>

#include "../common/ColourMatch.h"

#include <cmath>
#include <memory>
#include <vector>

/** Reaches the editor's children and its tick, so tests can look and step deterministically. */
struct ZIDodavAzaviduroEditorTestAccess
{
    using Editor = ZIDodavAzaviduroEditor;

    struct Knob
    {
        const char* parameterID;
        const char* caption;
        juce::Colour fill;
        juce::Slider Editor::* slider;
        juce::Label Editor::* label;
        juce::Rectangle<int> sliderBounds, labelBounds;
    };

    static std::vector<Knob> knobs()
    {
        return {
            { ParameterIDs::rmsWindow,   "RMS WINDOW",   BColors::accent,       &Editor::rmsWindowSlider,   &Editor::rmsWindowLabel,   {   0, 260, 126, 84 }, {   0, 244, 126, 16 } },
            { ParameterIDs::bleedReject, "BLEED REJECT", BColors::accentCyan,   &Editor::bleedRejectSlider, &Editor::bleedRejectLabel, { 126, 260, 126, 84 }, { 126, 244, 126, 16 } },
            { ParameterIDs::threshold,   "NOISE FLOOR",  BColors::accentWarm,   &Editor::thresholdSlider,   &Editor::thresholdLabel,   { 252, 260, 128, 84 }, { 252, 244, 128, 16 } },
            { ParameterIDs::smoothing,   "SMOOTHING",    BColors::accentGreen,  &Editor::smoothingSlider,   &Editor::smoothingLabel,   {   0, 372, 126, 84 }, {   0, 356, 126, 16 } },
            { ParameterIDs::weight,      "WEIGHT",       BColors::accentPurple, &Editor::weightSlider,      &Editor::weightLabel,      { 126, 372, 126, 84 }, { 126, 356, 126, 16 } },
            { ParameterIDs::maxAtten,    "MAX ATTEN",    BColors::accentRed,    &Editor::maxAttenSlider,    &Editor::maxAttenLabel,    { 252, 372, 128, 84 }, { 252, 356, 128, 16 } },
        };
    }

    static void tick (Editor& e)                          { e.timerCallback(); }
    static juce::Label& title (Editor& e)                 { return e.titleLabel; }
    static juce::Label& instanceLine (Editor& e)          { return e.instanceLabel; }
    static juce::Label& gainReadout (Editor& e)           { return e.gainReadout; }
    static juce::Label& noiseFloorReadout (Editor& e)     { return e.noiseFloorReadout; }
    static juce::Component& meter (Editor& e)             { return e.meterBar; }
};

namespace
{
    using Access = ZIDodavAzaviduroEditorTestAccess;

    constexpr float pi = juce::MathConstants<float>::pi;


    /** The window's vertical gradient at the centre of a pixel row. */
    juce::Colour backgroundAt (int y)
    {
        return BColors::bg.interpolatedWith (BColors::bgBottom, ((float) y + 0.5f) / 620.0f);
    }

    /** Ink inside a rectangle: pixels that differ from the plain background of their row. */
    struct Ink
    {
        juce::Rectangle<int> extent;
        juce::Colour strongest;   // the pixel furthest from the background
        int count = 0;
    };

    Ink findInk (const juce::Image& image, juce::Rectangle<int> area, juce::Colour background)
    {
        Ink ink;
        int strongestDistance = 0;

        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
            {
                const auto pixel = image.getPixelAt (x, y);
                const auto distance = channelDistance (pixel, background);

                if (distance <= 6)
                    continue;

                ink.extent = ink.count++ == 0 ? juce::Rectangle<int> (x, y, 1, 1)
                                              : ink.extent.getUnion ({ x, y, 1, 1 });

                if (distance > strongestDistance)
                {
                    strongestDistance = distance;
                    ink.strongest = pixel;
                }
            }

        return ink;
    }

    juce::Label* valueBoxOf (juce::Slider& slider)
    {
        for (auto* child : slider.getChildren())
            if (auto* label = dynamic_cast<juce::Label*> (child))
                return label;

        return nullptr;
    }

    /** Commits text into a knob's value box the way its text editor does when return is
        pressed: the box takes the text and tells the slider. (The editor itself cannot open
        here, since it wants keyboard focus and nothing is on screen.)
    */
    void typeInto (juce::Slider& slider, const juce::String& text)
    {
        auto* box = valueBoxOf (slider);
        ASSERT_NE (box, nullptr);
        ASSERT_TRUE (box->isEditable());
        box->setText (text, juce::sendNotificationSync);
    }

    /** A left-button drag over a knob, from its centre by (dx, dy) pixels. */
    void drag (juce::Slider& slider, float dx, float dy)
    {
        const auto source = juce::Desktop::getInstance().getMainMouseSource();
        const auto start = slider.getLocalBounds().getCentre().toFloat();
        const auto now = juce::Time::getCurrentTime();
        const juce::ModifierKeys button (juce::ModifierKeys::leftButtonModifier);

        const auto eventAt = [&] (juce::Point<float> position, bool dragged)
        {
            return juce::MouseEvent (source, position, button, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f,
                                     &slider, &slider, now, start, now, 1, dragged);
        };

        slider.mouseDown (eventAt (start, false));
        slider.mouseDrag (eventAt (start + juce::Point<float> (dx * 0.5f, dy * 0.5f), true));
        slider.mouseDrag (eventAt (start + juce::Point<float> (dx, dy), true));
        slider.mouseUp (eventAt (start + juce::Point<float> (dx, dy), true));
    }
}

//==============================================================================
/** One processor and its open window, as a host holds them. */
class EditorWindow  : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ (SharedBleedManager::getInstance().getActiveCount(), 0) << "a test leaked an instance";
        processor = std::make_unique<ZIDodavAzaviduroProcessor>();
        openWindow();
    }

    void TearDown() override
    {
        editor.reset();
        processor.reset();
    }

    void openWindow()
    {
        editor.reset();
        editor.reset (dynamic_cast<ZIDodavAzaviduroEditor*> (processor->createEditor()));
        ASSERT_NE (editor, nullptr);
    }

    juce::Image paintWindow()
    {
        juce::Image image (juce::Image::ARGB, editor->getWidth(), editor->getHeight(), true);
        juce::Graphics g (image);
        editor->paintEntireComponent (g, false);
        return image;
    }

    float parameterValue (const char* id) const
    {
        return processor->parameters.getRawParameterValue (id)->load();
    }

    void setParameter (const char* id, float plainValue)
    {
        auto* parameter = processor->parameters.getParameter (id);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (plainValue));
    }

    juce::Slider& slider (const char* id)
    {
        for (const auto& knob : Access::knobs())
            if (juce::String (knob.parameterID) == id)
                return (*editor).*(knob.slider);

        ADD_FAILURE() << "no knob for " << id;
        return (*editor).*(Access::knobs().front().slider);
    }

    std::unique_ptr<ZIDodavAzaviduroProcessor> processor;
    std::unique_ptr<ZIDodavAzaviduroEditor> editor;
};

//==============================================================================
TEST_F (EditorWindow, HasItsFixedSizeAndEveryChildInItsPlace)
{
    EXPECT_EQ (editor->getBounds(), juce::Rectangle<int> (0, 0, 380, 620));
    EXPECT_FALSE (editor->isResizable());

    EXPECT_EQ (Access::title (*editor).getBounds(),             juce::Rectangle<int> (0, 22, 380, 26));
    EXPECT_EQ (Access::instanceLine (*editor).getBounds(),      juce::Rectangle<int> (0, 48, 380, 16));
    EXPECT_EQ (Access::meter (*editor).getBounds(),             juce::Rectangle<int> (30, 68, 320, 150));
    EXPECT_EQ (Access::gainReadout (*editor).getBounds(),       juce::Rectangle<int> (0, 218, 190, 18));
    EXPECT_EQ (Access::noiseFloorReadout (*editor).getBounds(), juce::Rectangle<int> (190, 218, 190, 18));

    for (const auto& knob : Access::knobs())
    {
        SCOPED_TRACE (knob.caption);
        auto& s = (*editor).*(knob.slider);
        auto& caption = (*editor).*(knob.label);

        EXPECT_EQ (s.getBounds(), knob.sliderBounds);
        EXPECT_EQ (caption.getBounds(), knob.labelBounds);
        EXPECT_TRUE (s.isVisible());
        EXPECT_TRUE (caption.isVisible());

        // The 68 x 18 value box is centred along the bottom; the rotary area is the rest.
        const auto width = knob.sliderBounds.getWidth();
        auto* box = valueBoxOf (s);
        ASSERT_NE (box, nullptr);
        EXPECT_EQ (box->getBounds(), juce::Rectangle<int> ((width - 68) / 2, 66, 68, 18));
        EXPECT_EQ (s.getLookAndFeel().getSliderLayout (s).sliderBounds, juce::Rectangle<int> (0, 0, width, 66));
        EXPECT_TRUE (box->isEditable());
    }
}

TEST_F (EditorWindow, ChildrenAreStackedInTheirOrder)
{
    std::vector<juce::Component*> expected { &Access::title (*editor), &Access::instanceLine (*editor),
                                             &Access::gainReadout (*editor), &Access::noiseFloorReadout (*editor),
                                             &Access::meter (*editor) };

    for (const auto& knob : Access::knobs())
    {
        expected.push_back (&((*editor).*(knob.slider)));
        expected.push_back (&((*editor).*(knob.label)));
    }

    const auto& children = editor->getChildren();
    ASSERT_EQ ((size_t) children.size(), expected.size());

    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ (children[(int) i], expected[i]) << "child " << i;
}

TEST_F (EditorWindow, LabelsShowTheirTextsInTheirColours)
{
    struct Case { juce::Label& label; juce::String text; float height; bool bold; juce::Colour colour; };
    const Case cases[] = {
        { Access::title (*editor),             "Hestrel",      22.0f, true,  BColors::textBright },
        { Access::instanceLine (*editor),      "",             12.0f, false, BColors::textDim },
        { Access::gainReadout (*editor),       "0.0 dB",       15.0f, true,  BColors::accentWarm },
        { Access::noiseFloorReadout (*editor), "NF: -60.0 dB", 12.0f, false, BColors::accentCyan },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.text.toStdString());
        EXPECT_EQ (c.label.getText(), c.text);
        EXPECT_FLOAT_EQ (c.label.getFont().getHeight(), c.height);
        EXPECT_EQ (c.label.getFont().isBold(), c.bold);
        EXPECT_EQ (c.label.findColour (juce::Label::textColourId), c.colour);
        EXPECT_EQ (c.label.getJustificationType(), juce::Justification::centred);
    }

    for (const auto& knob : Access::knobs())
    {
        auto& caption = (*editor).*(knob.label);
        EXPECT_EQ (caption.getText(), knob.caption);
        EXPECT_FLOAT_EQ (caption.getFont().getHeight(), 12.0f);
        EXPECT_FALSE (caption.getFont().isBold());
        EXPECT_EQ (caption.findColour (juce::Label::textColourId), BColors::textDim);
    }
}

TEST_F (EditorWindow, BackgroundIsTheGradientUnderTheAccentStripAndSeparator)
{
    const auto image = paintWindow();

    // Left edge, clear of every child: the gradient from bg to bgBottom.
    for (int y : { 4, 100, 310, 500, 619 })
        EXPECT_TRUE (colourNear (image.getPixelAt (2, y), backgroundAt (y), 1)) << "y = " << y;

    EXPECT_TRUE (colourNear (image.getPixelAt (2, 4), BColors::bg, 1));
    EXPECT_TRUE (colourNear (image.getPixelAt (2, 619), BColors::bgBottom, 1));

    // The 3-pixel strip along the top, the whole width.
    for (int x : { 0, 190, 379 })
        for (int y : { 0, 1, 2 })
            EXPECT_TRUE (colourNear (image.getPixelAt (x, y), backgroundAt (y).overlaidWith (BColors::accentCyan.withAlpha ((juce::uint8) 0x99)), 1))
                << x << ", " << y;

    EXPECT_TRUE (colourNear (image.getPixelAt (190, 3), backgroundAt (3), 1));

    // The separator: one row at y = 58, from x = 20 to 360.
    for (int x : { 20, 25, 300, 359 })
        EXPECT_EQ (image.getPixelAt (x, 58), BColors::panelBorder) << "x = " << x;

    for (auto [x, y] : { std::pair { 19, 58 }, { 360, 58 }, { 25, 57 }, { 25, 59 } })
        EXPECT_TRUE (colourNear (image.getPixelAt (x, y), backgroundAt (y), 1)) << x << ", " << y;
}

TEST_F (EditorWindow, HeaderTextsSitInTheirStripsInTheirColours)
{
    const auto image = paintWindow();

    const auto maker = findInk (image, { 14, 6, 120, 16 }, backgroundAt (14));
    EXPECT_GT (maker.count, 30);
    EXPECT_TRUE (colourNear (maker.strongest, BColors::accentCyan, 40));
    EXPECT_LT (maker.extent.getX(), 18);   // left-aligned

    const auto title = findInk (image, { 0, 22, 380, 26 }, backgroundAt (35));
    EXPECT_GT (title.count, 50);
    EXPECT_TRUE (colourNear (title.strongest, BColors::textBright, 40));
    EXPECT_NEAR (title.extent.getCentreX(), 190, 3);   // centred

    // Nothing else in the header's free corners.
    EXPECT_EQ (findInk (image, { 150, 4, 220, 16 }, backgroundAt (12)).count, 0);
}

TEST_F (EditorWindow, FooterIsBoldHeightNineOnTheRight)
{
    const auto image = paintWindow();
    const juce::String text ("v1.0  |  Velmora Audio");
    const auto footer = findInk (image, { 8, 606, 364, 14 }, backgroundAt (612));

    ASSERT_GT (footer.count, 30);
    EXPECT_TRUE (colourNear (footer.strongest, BColors::textVeryDim, 30));
    EXPECT_GE (footer.extent.getRight(), 368);   // right-aligned, ends at x = 372
    EXPECT_LE (footer.extent.getRight(), 372);
    EXPECT_LE (footer.extent.getHeight(), 10);

    // The ink is as wide as the bold 9-pixel font makes the text, not the plain one.
    const auto boldWidth = juce::Font (9.0f, juce::Font::bold).getStringWidthFloat (text);
    const auto plainWidth = juce::Font (9.0f, juce::Font::plain).getStringWidthFloat (text);
    const auto inkWidth = (float) footer.extent.getWidth();
    EXPECT_NEAR (inkWidth, boldWidth, 2.5f);
    EXPECT_LT (std::abs (inkWidth - boldWidth), std::abs (inkWidth - plainWidth));
}

TEST_F (EditorWindow, KnobsShowTheirParametersInTheirAccents)
{
    setParameter (ParameterIDs::maxAtten, -30.0f);   // off its end, so that its arc shows
    const auto image = paintWindow();

    for (const auto& knob : Access::knobs())
    {
        SCOPED_TRACE (knob.caption);
        auto& s = (*editor).*(knob.slider);
        const auto proportion = (float) s.valueToProportionOfLength (s.getValue());
        EXPECT_FLOAT_EQ (proportion, processor->parameters.getParameter (knob.parameterID)->getValue());

        const auto params = s.getRotaryParameters();
        const auto toAngle = params.startAngleRadians + proportion * (params.endAngleRadians - params.startAngleRadians);
        const auto centre = knob.sliderBounds.getPosition().toFloat() + juce::Point<float> ((float) knob.sliderBounds.getWidth() * 0.5f, 33.0f);

        const auto pixelAt = [&] (float angle)
        {
            return image.getPixelAt ((int) std::floor (centre.x + 25.0f * std::sin (angle)),
                                     (int) std::floor (centre.y - 25.0f * std::cos (angle)));
        };

        EXPECT_EQ (pixelAt ((params.startAngleRadians + toAngle) * 0.5f), knob.fill);
        EXPECT_EQ (pixelAt ((toAngle + params.endAngleRadians) * 0.5f), BColors::knobTrack);
        EXPECT_TRUE (colourNear (image.getPixelAt ((int) centre.x, (int) centre.y), BColors::textBright, 2));

        // The caption above in textDim, the value box below on valueBg.
        const auto caption = findInk (image, knob.labelBounds, backgroundAt (knob.labelBounds.getCentreY()));
        EXPECT_GT (caption.count, 20);
        EXPECT_TRUE (colourNear (caption.strongest, BColors::textDim, 40));

        const auto boxOrigin = knob.sliderBounds.getPosition() + juce::Point<int> ((knob.sliderBounds.getWidth() - 68) / 2, 66);
        EXPECT_EQ (image.getPixelAt (boxOrigin.x + 3, boxOrigin.y + 2), BColors::valueBg);
        const auto value = findInk (image, { boxOrigin.x + 1, boxOrigin.y + 1, 66, 16 }, BColors::valueBg);
        EXPECT_GT (value.count, 10);
        EXPECT_TRUE (colourNear (value.strongest, BColors::textBright, 60));
    }
}

//==============================================================================
TEST_F (EditorWindow, InstanceLineNamesTheSlotAndTheCount)
{
    EXPECT_EQ (Access::instanceLine (*editor).getText(), "");
    Access::tick (*editor);
    EXPECT_EQ (Access::instanceLine (*editor).getText(), "Instance #1  |  1 active");

    auto second = std::make_unique<ZIDodavAzaviduroProcessor>();
    Access::tick (*editor);
    EXPECT_EQ (Access::instanceLine (*editor).getText(), "Instance #1  |  2 active");

    second.reset();
    Access::tick (*editor);
    EXPECT_EQ (Access::instanceLine (*editor).getText(), "Instance #1  |  1 active");
}

TEST_F (EditorWindow, InstanceWithoutASlotShowsNumberZero)
{
    std::vector<std::unique_ptr<ZIDodavAzaviduroProcessor>> others;

    while (SharedBleedManager::getInstance().getActiveCount() < SharedBleedManager::maxSlots)
        others.push_back (std::make_unique<ZIDodavAzaviduroProcessor>());

    ZIDodavAzaviduroProcessor unslotted;
    ASSERT_EQ (unslotted.slotIndex, -1);
    std::unique_ptr<juce::AudioProcessorEditor> window (unslotted.createEditor());
    auto& e = dynamic_cast<ZIDodavAzaviduroEditor&> (*window);

    Access::tick (e);
    EXPECT_EQ (Access::instanceLine (e).getText(), "Instance #0  |  16 active");
    EXPECT_EQ (Access::gainReadout (e).getText(), "0.0 dB");
    EXPECT_EQ (Access::noiseFloorReadout (e).getText(), "NF: -60.0 dB");
}

TEST_F (EditorWindow, FreshWindowKeepsItsInitialReadoutsAtItsFirstTick)
{
    setParameter (ParameterIDs::threshold, -20.0f);   // not processed yet: the read-out must not follow the knob
    Access::tick (*editor);
    EXPECT_EQ (Access::gainReadout (*editor).getText(), "0.0 dB");
    EXPECT_EQ (Access::noiseFloorReadout (*editor).getText(), "NF: -60.0 dB");
}

TEST_F (EditorWindow, GainReadoutAtItsBoundaries)
{
    const std::pair<float, const char*> cases[] = {
        { -60.0f, "-inf dB" }, { -59.0f, "-inf dB" }, { -58.9f, "-58.9 dB" }, { -12.34f, "-12.3 dB" },
        { -0.11f, "-0.1 dB" }, { -0.1f, "0.0 dB" },   { 0.0f, "0.0 dB" },     { -30.0f, "-30.0 dB" },
    };

    for (const auto& [gainDb, text] : cases)
    {
        processor->displayGainDb.store (gainDb);
        Access::tick (*editor);
        EXPECT_EQ (Access::gainReadout (*editor).getText(), text) << "at " << gainDb << " dB";
    }
}

TEST_F (EditorWindow, NoiseFloorReadoutAtItsBoundaries)
{
    const std::pair<float, const char*> cases[] = {
        { -80.0f, "NF: < -80 dB" }, { -79.0f, "NF: < -80 dB" }, { -78.9f, "NF: -78.9 dB" },
        { -60.0f, "NF: -60.0 dB" }, { -45.67f, "NF: -45.7 dB" }, { 0.0f, "NF: 0.0 dB" },
    };

    for (const auto& [thresholdDb, text] : cases)
    {
        processor->displayThresholdDb.store (thresholdDb);
        Access::tick (*editor);
        EXPECT_EQ (Access::noiseFloorReadout (*editor).getText(), text) << "at " << thresholdDb << " dB";
    }
}

TEST_F (EditorWindow, ReadoutsFollowProcessedAudio)
{
    processor->prepareToPlay (48000.0, 512);
    setParameter (ParameterIDs::threshold, -20.0f);

    juce::AudioBuffer<float> buffer (processor->getTotalNumInputChannels(), 512);
    buffer.clear();
    juce::MidiBuffer midi;
    processor->processBlock (buffer, midi);

    Access::tick (*editor);
    EXPECT_EQ (Access::noiseFloorReadout (*editor).getText(), "NF: -20.0 dB");
}

//==============================================================================
TEST_F (EditorWindow, TypingIntoAValueBoxSetsTheParameterThroughItsOwnConversion)
{
    struct Case { const char* id; float start; const char* typed; float expected; const char* shown; };
    const Case cases[] = {
        { ParameterIDs::rmsWindow,   300.0f, "250",    250.0f,  "250 ms" },
        { ParameterIDs::rmsWindow,   300.0f, "5000",   1000.0f, "1000 ms" },
        { ParameterIDs::bleedReject, -12.0f, "-12.26", -12.5f,  "-12.5 dB" },
        { ParameterIDs::threshold,   -60.0f, "-35.5",  -35.5f,  "-35.5 dB" },
        { ParameterIDs::smoothing,   5.0f,   "0",      0.5f,    "0.5 ms" },
        { ParameterIDs::weight,      100.0f, "150 %",  150.0f,  "150 %" },
        { ParameterIDs::maxAtten,    -20.0f, "-inf",   -60.0f,  "-inf" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.id) + " <- \"" + c.typed + "\"");
        setParameter (c.id, c.start);
        auto& s = slider (c.id);
        typeInto (s, c.typed);

        EXPECT_NEAR (parameterValue (c.id), c.expected, 1.0e-4f);
        EXPECT_NEAR (s.getValue(), c.expected, 1.0e-4);
        EXPECT_EQ (valueBoxOf (s)->getText(), c.shown);
    }
}

TEST_F (EditorWindow, DraggingAKnobEitherWayTurnsIt)
{
    // A full turn is 250 pixels of drag; up and right both turn it up.
    struct Case { float dx, dy, expected; };
    const Case cases[] = { { 0.0f, -50.0f, 140.0f }, { 25.0f, 0.0f, 120.0f }, { -100.0f, 0.0f, 20.0f },
                           { 0.0f, 500.0f, 0.0f },   { 30.0f, -20.0f, 140.0f } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE ("drag by " + std::to_string (c.dx) + ", " + std::to_string (c.dy));
        setParameter (ParameterIDs::weight, 100.0f);
        drag (slider (ParameterIDs::weight), c.dx, c.dy);
        EXPECT_NEAR (parameterValue (ParameterIDs::weight), c.expected, 1.0e-3f);
    }

    EXPECT_EQ (parameterValue (ParameterIDs::rmsWindow), 300.0f) << "a drag on one knob moved another";
}

TEST_F (EditorWindow, ReopeningTheWindowShowsEveryKnobWhereItWas)
{
    typeInto (slider (ParameterIDs::rmsWindow), "120");
    typeInto (slider (ParameterIDs::bleedReject), "-20");
    typeInto (slider (ParameterIDs::threshold), "-45.3");
    drag (slider (ParameterIDs::smoothing), 0.0f, -40.0f);
    typeInto (slider (ParameterIDs::weight), "80");
    typeInto (slider (ParameterIDs::maxAtten), "-24");

    std::vector<float> values;
    std::vector<juce::String> texts;

    for (const auto& knob : Access::knobs())
    {
        values.push_back (parameterValue (knob.parameterID));
        texts.push_back (valueBoxOf ((*editor).*(knob.slider))->getText());
    }

    const auto knobs = Access::knobs();

    for (int reopen = 0; reopen < 3; ++reopen)
    {
        openWindow();

        for (size_t i = 0; i < values.size(); ++i)
        {
            const auto& knob = knobs[i];
            SCOPED_TRACE (knob.caption);
            auto& s = (*editor).*(knob.slider);
            EXPECT_EQ (parameterValue (knob.parameterID), values[i]);
            EXPECT_FLOAT_EQ ((float) s.getValue(), values[i]);
            EXPECT_EQ (valueBoxOf (s)->getText(), texts[i]);
        }
    }
}
