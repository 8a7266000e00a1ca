// The palette, the knob look and the meter panel, painted into images and read back as pixels.

#include "PluginEditor.h"
#include "SharedBleedManager.h"

#include <gtest/gtest.h>

#include "../common/ColourMatch.h"

#include <cmath>
#include <memory>

/** Reaches the meter's tick and its displayed values, so tests can step it deterministically. */
struct BleedMeterBarTestAccess
{
    static void tick (BleedMeterBar& meter, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            meter.timerCallback();
    }

    static void show (BleedMeterBar& meter, float level, float gain, float thresholdDb)
    {
        meter.smoothedLevel = level;
        meter.smoothedGain = gain;
        meter.smoothedThresholdDb = thresholdDb;
    }

    static float peakLevel (const BleedMeterBar& meter)    { return meter.peakLevel; }
};

namespace
{
    using Access = BleedMeterBarTestAccess;

    constexpr float pi = juce::MathConstants<float>::pi;


    juce::Image paintComponent (juce::Component& component)
    {
        juce::Image image (juce::Image::ARGB, component.getWidth(), component.getHeight(), true);
        juce::Graphics g (image);
        component.paintEntireComponent (g, false);
        return image;
    }
}

//==============================================================================
TEST (Palette, SeventeenOpaqueColoursWithTheirOwnValues)
{
    // The one place besides the palette itself that spells the values: it pins them.
    const std::pair<juce::Colour, juce::uint32> table[] = {
        { BColors::bg, 0xFF1A1A2E },          { BColors::bgBottom, 0xFF12121F },    { BColors::panelBg, 0xFF14142A },
        { BColors::panelBorder, 0xFF2A2A4A }, { BColors::meterBg, 0xFF1C1C38 },     { BColors::accent, 0xFF4FC3F7 },
        { BColors::accentWarm, 0xFFFF9800 },  { BColors::accentGreen, 0xFF66BB6A }, { BColors::accentPurple, 0xFFAB47BC },
        { BColors::accentRed, 0xFFEF5350 },   { BColors::accentCyan, 0xFF26C6DA },  { BColors::textBright, 0xFFE8E8F0 },
        { BColors::textDim, 0xFF7A7A9A },     { BColors::textVeryDim, 0xFF555570 }, { BColors::knobTrack, 0xFF2A2A4A },
        { BColors::valueBg, 0xFF1A1A35 },     { BColors::valueBorder, 0xFF2A2A50 },
    };

    for (const auto& [colour, argb] : table)
    {
        EXPECT_EQ (colour.getARGB(), argb);
        EXPECT_TRUE (colour.isOpaque());
    }

    EXPECT_EQ (BColors::panelBorder, BColors::knobTrack);
    EXPECT_NE (BColors::valueBorder, BColors::knobTrack);

    // The translucent variants keep the colour's RGB bytes and take exactly the stated alpha.
    const auto faded = BColors::textBright.withAlpha ((juce::uint8) 0xCC);
    EXPECT_EQ (faded.getARGB(), 0xCCE8E8F0u);
    EXPECT_EQ (BColors::accentCyan.withAlpha (0.7f).getAlpha(), 0xB2);
    EXPECT_EQ (BColors::accentCyan.withAlpha (0.3f).getAlpha(), 0x4C);
}

//==============================================================================
/** One knob drawn by the look-and-feel on black, into a rotary area at the origin. */
class KnobLook  : public ::testing::Test
{
protected:
    static constexpr float startAngle = 1.2f * pi;
    static constexpr float endAngle = 2.8f * pi;

    juce::Image drawKnob (int width, float sliderPos)
    {
        juce::Image image (juce::Image::ARGB, width, 66, true);
        juce::Graphics g (image);
        g.fillAll (juce::Colours::black);
        slider.setColour (juce::Slider::rotarySliderFillColourId, BColors::accentPurple);
        lookAndFeel.drawRotarySlider (g, 0, 0, width, 66, sliderPos, startAngle, endAngle, slider);
        return image;
    }

    /** The pixel that holds the point at the given angle (clockwise from 12 o'clock) and distance. */
    static juce::Colour pixelAt (const juce::Image& image, float cx, float cy, float angle, float distance)
    {
        return image.getPixelAt ((int) std::floor (cx + distance * std::sin (angle)),
                                 (int) std::floor (cy - distance * std::cos (angle)));
    }

    BleedSliderLookAndFeel lookAndFeel;
    juce::Slider slider;
};

TEST_F (KnobLook, ValueArcCoversTheTrackUpToTheValueInTheKnobsAccent)
{
    struct Case { int width; float centreX; float sliderPos; };
    const Case cases[] = { { 126, 63.0f, 0.0f }, { 126, 63.0f, 0.5f }, { 126, 63.0f, 1.0f },
                           { 128, 64.0f, 0.25f }, { 128, 64.0f, 1.0f } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE ("width " + std::to_string (c.width) + ", sliderPos " + std::to_string (c.sliderPos));
        const auto image = drawKnob (c.width, c.sliderPos);
        const auto toAngle = startAngle + c.sliderPos * (endAngle - startAngle);

        // On the arc's circle (radius 25 about the centre), away from the round caps.
        for (auto angle = startAngle + 0.15f; angle < endAngle - 0.15f; angle += 0.05f)
        {
            if (std::abs (angle - toAngle) < 0.15f)
                continue;

            const auto expected = angle < toAngle ? BColors::accentPurple : BColors::knobTrack;
            EXPECT_TRUE (colourNear (pixelAt (image, c.centreX, 33.0f, angle, 25.0f), expected, 0)) << "at " << angle;
        }

        // Nothing but the track and its gap outside the circle; the gap at the bottom stays empty.
        EXPECT_EQ (pixelAt (image, c.centreX, 33.0f, 2.0f * pi + pi, 25.0f), juce::Colours::black);
        EXPECT_EQ (pixelAt (image, c.centreX, 33.0f, 2.0f * pi, 29.0f), juce::Colours::black);

        // The centre dot, and the pointer towards the value but not elsewhere.
        EXPECT_TRUE (colourNear (image.getPixelAt ((int) c.centreX, 33), BColors::textBright, 2));
        EXPECT_GT (pixelAt (image, c.centreX, 33.0f, toAngle, 12.0f).getBrightness(), 0.4f);
        EXPECT_EQ (pixelAt (image, c.centreX, 33.0f, toAngle + 0.5f * pi, 12.0f), juce::Colours::black);
        EXPECT_EQ (pixelAt (image, c.centreX, 33.0f, toAngle - 0.5f * pi, 12.0f), juce::Colours::black);

        // The pointer stops short of the arc: its tip is 19 from the centre, the arc's inner edge 23.5.
        EXPECT_EQ (pixelAt (image, c.centreX, 33.0f, toAngle, 22.0f), juce::Colours::black);
    }
}

TEST_F (KnobLook, AtZeroNoValueArcShowsAwayFromTheStart)
{
    const auto image = drawKnob (126, 0.0f);
    const auto startX = 63.0f + 25.0f * std::sin (startAngle);
    const auto startY = 33.0f - 25.0f * std::cos (startAngle);

    for (int y = 0; y < image.getHeight(); ++y)
    {
        for (int x = 0; x < image.getWidth(); ++x)
        {
            if (juce::Point<float> ((float) x + 0.5f, (float) y + 0.5f).getDistanceFrom ({ startX, startY }) > 3.0f)
            {
                ASSERT_GT (channelDistance (image.getPixelAt (x, y), BColors::accentPurple), 40) << x << ", " << y;
            }
        }
    }
}

TEST_F (KnobLook, SliderWithoutItsOwnFillColourFallsBackToTheLookAndFeels)
{
    juce::Image image (juce::Image::ARGB, 126, 66, true);
    juce::Graphics g (image);
    g.fillAll (juce::Colours::black);
    juce::Slider plain;
    plain.setLookAndFeel (&lookAndFeel);
    lookAndFeel.drawRotarySlider (g, 0, 0, 126, 66, 1.0f, startAngle, endAngle, plain);
    plain.setLookAndFeel (nullptr);

    const auto expected = lookAndFeel.findColour (juce::Slider::rotarySliderFillColourId);
    EXPECT_TRUE (colourNear (pixelAt (image, 63.0f, 33.0f, 1.5f * pi, 25.0f), expected, 0));
}

TEST_F (KnobLook, ValueBoxColoursComeFromThePalette)
{
    EXPECT_EQ (lookAndFeel.findColour (juce::Slider::textBoxTextColourId), BColors::textBright);
    EXPECT_EQ (lookAndFeel.findColour (juce::Slider::textBoxBackgroundColourId), BColors::valueBg);
    EXPECT_EQ (lookAndFeel.findColour (juce::Slider::textBoxOutlineColourId), BColors::valueBorder);
}

//==============================================================================
/** A meter panel at the editor's size, on a processor whose read-outs the test writes. */
class MeterBar  : public ::testing::Test
{
protected:
    static constexpr int bottom = 138;   // the tracks run from y = 26 to 138 (112 pixels)
    static constexpr int inputX = 62;    // centre columns of the three tracks
    static constexpr int gainX = 160;
    static constexpr int reductionX = 257;

    void SetUp() override
    {
        ASSERT_EQ (SharedBleedManager::getInstance().getActiveCount(), 0) << "a test leaked an instance";
        processor = std::make_unique<ZIDodavAzaviduroProcessor>();
        meter = std::make_unique<BleedMeterBar> (*processor);
        meter->setSize (320, 150);
    }

    void TearDown() override
    {
        meter.reset();
        processor.reset();
    }

    void publish (float level, float gain, float thresholdDb)
    {
        processor->displayLevel.store (level);
        processor->displayGain.store (gain);
        processor->displayThresholdDb.store (thresholdDb);
    }

    /** Rows of a track column, from the top, that show the given colour over the track. */
    static int countRows (const juce::Image& image, int x, juce::Colour fill)
    {
        const auto expected = BColors::meterBg.overlaidWith (fill.withAlpha ((juce::uint8) 0xB2));
        int rows = 0;

        for (int y = 26; y < bottom; ++y)
            if (colourNear (image.getPixelAt (x, y), expected, 2))
                ++rows;

        return rows;
    }

    static bool rowsShow (const juce::Image& image, int x, int fromY, int toY, juce::Colour expected)
    {
        for (int y = fromY; y < toY; ++y)
            if (! colourNear (image.getPixelAt (x, y), expected, 2))
                return false;

        return true;
    }

    static juce::Colour overTrack (juce::Colour fill)
    {
        return BColors::meterBg.overlaidWith (fill.withAlpha ((juce::uint8) 0xB2));
    }

    /** The smallest level whose column proportion is exactly the given value. */
    static float levelWithProportion (float proportion)
    {
        auto level = std::pow (10.0f, (proportion * 60.0f - 60.0f) / 20.0f) * 0.9999f;

        for (int i = 0; i < 100000 && BleedMeterBar::levelToProportion (level) < proportion; ++i)
            level = std::nextafter (level, 1.0f);

        EXPECT_EQ (BleedMeterBar::levelToProportion (level), proportion);
        return level;
    }

    std::unique_ptr<ZIDodavAzaviduroProcessor> processor;
    std::unique_ptr<BleedMeterBar> meter;
};

TEST_F (MeterBar, FreshPanelShowsEmptyInputFullGainAndNoReduction)
{
    const auto image = paintComponent (*meter);

    EXPECT_EQ (image.getPixelAt (5, 75), BColors::panelBg);
    EXPECT_TRUE (rowsShow (image, inputX, 26, bottom, BColors::meterBg));
    EXPECT_EQ (countRows (image, gainX, BColors::accent), 112);
    EXPECT_TRUE (rowsShow (image, reductionX, 26, bottom, BColors::meterBg));

    // Outside the tracks the panel shows through: the tracks are 50 wide, centred in their columns.
    // (x = 37.67 to 87.67 for INPUT).
    EXPECT_EQ (image.getPixelAt (36, 80), BColors::panelBg);
    EXPECT_EQ (image.getPixelAt (38, 80), BColors::meterBg);
    EXPECT_EQ (image.getPixelAt (86, 80), BColors::meterBg);
    EXPECT_EQ (image.getPixelAt (88, 80), BColors::panelBg);
}

TEST_F (MeterBar, CaptionsSitAboveTheirColumns)
{
    const auto image = paintComponent (*meter);
    const int captionLefts[] = { 14, 111, 208 };

    for (auto left : captionLefts)
    {
        int ink = 0;
        float brightest = 0.0f;

        for (int y = 10; y < 24; ++y)
            for (int x = left; x < left + 97; ++x)
                if (image.getPixelAt (x, y) != BColors::panelBg)
                {
                    ++ink;
                    brightest = juce::jmax (brightest, image.getPixelAt (x, y).getBrightness());
                }

        EXPECT_GT (ink, 10) << "caption at x = " << left;
        EXPECT_NEAR (brightest, BColors::textDim.getBrightness(), 0.1f) << "caption at x = " << left;
    }
}

TEST_F (MeterBar, QuietLevelFillsTheInputColumnInGreenToItsProportion)
{
    // -30 dB: half of the -60 to 0 dB scale, 56 of the track's 112 pixels.
    publish (std::pow (10.0f, -30.0f / 20.0f), 1.0f, -80.0f);
    Access::tick (*meter, 300);
    const auto image = paintComponent (*meter);

    // Rows 82 to 137, the top one under the peak line, which sits on the level it holds.
    const auto green = overTrack (BColors::accentGreen);
    EXPECT_TRUE (rowsShow (image, inputX, bottom - 55, bottom, green));
    EXPECT_TRUE (colourNear (image.getPixelAt (inputX, bottom - 56), green.overlaidWith (BColors::textBright.withAlpha ((juce::uint8) 0x99)), 2));
    EXPECT_TRUE (rowsShow (image, inputX, 26, bottom - 56, BColors::meterBg));
}

TEST_F (MeterBar, FillColourFollowsTheLevelAtItsBoundaries)
{
    struct Case { float proportion; bool justBelow; juce::Colour colour; };
    const Case cases[] = { { 0.7f, true, BColors::accentGreen }, { 0.7f, false, BColors::accentWarm },
                           { 0.9f, true, BColors::accentWarm },  { 0.9f, false, BColors::accentRed },
                           { 1.0f, false, BColors::accentRed } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE ("proportion " + std::to_string (c.proportion) + (c.justBelow ? " (just below)" : ""));
        auto level = levelWithProportion (c.proportion);

        if (c.justBelow)
            level = std::nextafter (level, 0.0f);

        Access::show (*meter, level, 1.0f, -60.0f);
        const auto image = paintComponent (*meter);

        // The whole fill takes one colour, down to the bottom of the track.
        const auto expectedRows = (int) (112.0f * BleedMeterBar::levelToProportion (level));
        EXPECT_TRUE (rowsShow (image, inputX, bottom - expectedRows, bottom, overTrack (c.colour)));
    }
}

TEST_F (MeterBar, GainFillsFromTheBottomAndReductionHangsFromTheTop)
{
    struct Case { float gain; int gainRows; int reductionRows; };
    const Case cases[] = { { 1.0f, 112, 0 }, { 0.5f, 56, 56 }, { 1.5f, 112, 0 }, { 0.0f, 0, 112 }, { 0.25f, 28, 84 } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE ("gain " + std::to_string (c.gain));
        meter = std::make_unique<BleedMeterBar> (*processor);
        meter->setSize (320, 150);
        publish (0.0f, c.gain, -60.0f);
        Access::tick (*meter, 600);
        const auto image = paintComponent (*meter);

        EXPECT_EQ (countRows (image, gainX, BColors::accent), c.gainRows);
        EXPECT_TRUE (rowsShow (image, gainX, bottom - c.gainRows, bottom, overTrack (BColors::accent)));
        EXPECT_TRUE (rowsShow (image, gainX, 26, bottom - c.gainRows, BColors::meterBg));

        EXPECT_EQ (countRows (image, reductionX, BColors::accentWarm), c.reductionRows);
        EXPECT_TRUE (rowsShow (image, reductionX, 26, 26 + c.reductionRows, overTrack (BColors::accentWarm)));
        EXPECT_TRUE (rowsShow (image, reductionX, 26 + c.reductionRows, bottom, BColors::meterBg));
    }
}

TEST_F (MeterBar, NoiseFloorMarkerSitsAtItsLevelAndVanishesAtTheBottom)
{
    const auto marker = overTrack (BColors::accentCyan);

    // -30 dB: half-way up, the 1.5-pixel bar from y = 81.5 to 83 fully covers row 82.
    publish (0.0f, 1.0f, -30.0f);
    Access::tick (*meter, 400);
    auto image = paintComponent (*meter);
    EXPECT_TRUE (colourNear (image.getPixelAt (inputX, 82), marker, 2));
    EXPECT_TRUE (rowsShow (image, inputX, 26, 81, BColors::meterBg));
    EXPECT_TRUE (rowsShow (image, inputX, 83, bottom, BColors::meterBg));

    // The bar is 48 wide, one short of the track at each side: the track's right edge keeps its colour.
    EXPECT_TRUE (colourNear (image.getPixelAt (85, 82), marker, 2));
    EXPECT_EQ (image.getPixelAt (87, 82), image.getPixelAt (87, 100));

    for (auto thresholdDb : { -60.0f, -70.0f, -80.0f })
    {
        SCOPED_TRACE ("noise floor " + std::to_string (thresholdDb));
        publish (0.0f, 1.0f, thresholdDb);
        Access::tick (*meter, 400);
        image = paintComponent (*meter);
        EXPECT_TRUE (rowsShow (image, inputX, 26, bottom, BColors::meterBg));
    }
}

TEST_F (MeterBar, PeakHoldsForThirtyTicksThenFalls)
{
    // A level already shown and published unchanged: the first tick takes it as the peak.
    Access::show (*meter, 0.5f, 1.0f, -60.0f);
    publish (0.5f, 1.0f, -60.0f);
    Access::tick (*meter);
    ASSERT_EQ (Access::peakLevel (*meter), 0.5f);

    // An equal level does not restart the hold.
    Access::tick (*meter, 30);
    EXPECT_EQ (Access::peakLevel (*meter), 0.5f);

    Access::tick (*meter);
    EXPECT_FLOAT_EQ (Access::peakLevel (*meter), 0.5f * 0.95f);

    // In silence the peak keeps falling by 5 % a tick, above the level which falls by 6 %.
    publish (0.0f, 1.0f, -60.0f);
    auto expected = 0.5f * 0.95f;

    for (int i = 0; i < 20; ++i)
    {
        Access::tick (*meter);
        expected *= 0.95f;
    }

    EXPECT_FLOAT_EQ (Access::peakLevel (*meter), expected);
}

TEST_F (MeterBar, PeakLineIsDrawnAtThePeakAndFollowsItDown)
{
    const auto brightestRow = [] (const juce::Image& image)
    {
        int row = -1;
        float brightest = 0.0f;

        for (int y = 26; y < bottom; ++y)
            if (image.getPixelAt (inputX, y).getBrightness() > brightest)
            {
                brightest = image.getPixelAt (inputX, y).getBrightness();
                row = y;
            }

        return row;
    };

    Access::show (*meter, 0.5f, 1.0f, -60.0f);
    publish (0.5f, 1.0f, -60.0f);
    Access::tick (*meter);
    Access::show (*meter, 0.0f, 1.0f, -60.0f);   // only the peak line is left in the column

    // The line is one pixel high from y = B - p * mh: the row that it covers most is the brightest.
    const auto lineTop = [] (float peak) { return (float) bottom - BleedMeterBar::levelToProportion (peak) * 112.0f; };

    auto image = paintComponent (*meter);
    EXPECT_LE (std::abs ((float) brightestRow (image) - lineTop (0.5f)), 0.5f);
    EXPECT_GT (image.getPixelAt (inputX, brightestRow (image)).getBrightness(), BColors::meterBg.getBrightness() + 0.2f);

    publish (0.0f, 1.0f, -60.0f);
    Access::tick (*meter, 30 + 40);
    image = paintComponent (*meter);
    const auto peak = Access::peakLevel (*meter);
    EXPECT_LT (peak, 0.5f * 0.2f);
    EXPECT_LE (std::abs ((float) brightestRow (image) - lineTop (peak)), 0.5f);
}

TEST_F (MeterBar, SilenceEmptiesTheColumnAndDropsThePeakLine)
{
    publish (0.5f, 1.0f, -60.0f);
    Access::tick (*meter, 50);
    publish (0.0f, 1.0f, -60.0f);
    Access::tick (*meter, 1000);

    const auto image = paintComponent (*meter);
    EXPECT_TRUE (rowsShow (image, inputX, 26, bottom, BColors::meterBg));
}
