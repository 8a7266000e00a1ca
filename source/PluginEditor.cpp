#include "PluginEditor.h"
#include "SharedBleedManager.h"

#include <cmath>

//==============================================================================
namespace
{
    // Alpha bytes of the translucent variants: 0.8, 0.7, 0.6 and 0.3 of full opacity.
    constexpr juce::uint8 alpha80 = 0xCC;
    constexpr juce::uint8 alpha70 = 0xB2;
    constexpr juce::uint8 alpha60 = 0x99;
    constexpr juce::uint8 alpha30 = 0x4C;

    const juce::PathStrokeType knobStroke (3.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded);
    const juce::PathStrokeType pointerStroke (1.5f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded);

    /** One step of a glide towards a target. Once the step is too small to change a float,
        the value lands on the target instead of stalling a few ulps short of it, so a steady
        read-out is shown exactly (-30 dB fills exactly half the column).
    */
    float glide (float current, float target, float k) noexcept
    {
        const auto next = current + k * (target - current);
        return next == current ? target : next;
    }

    /** Moves a displayed value towards its target: quickly when it rises, slowly otherwise. */
    float approach (float current, float target) noexcept
    {
        return glide (current, target, current < target ? 0.4f : 0.06f);
    }

    /** One meter column: its empty track, then a translucent fill of the given height rising
        from the track's bottom, or hanging from its top.
    */
    void drawMeterColumn (juce::Graphics& g, juce::Rectangle<float> track, float fillHeight,
                          juce::Colour fillColour, bool hangsFromTop)
    {
        g.setColour (BColors::meterBg);
        g.fillRoundedRectangle (track, 3.0f);

        if (fillHeight > 0.0f)
        {
            const auto top = hangsFromTop ? track.getY() : track.getBottom() - fillHeight;
            g.setColour (fillColour.withAlpha (alpha70));
            g.fillRoundedRectangle ({ track.getX(), top, track.getWidth(), fillHeight }, 3.0f);
        }
    }
}

//==============================================================================
BleedSliderLookAndFeel::BleedSliderLookAndFeel()
{
    setColour (juce::Slider::textBoxTextColourId,       BColors::textBright);
    setColour (juce::Slider::textBoxBackgroundColourId, BColors::valueBg);
    setColour (juce::Slider::textBoxOutlineColourId,    BColors::valueBorder);
}

BleedSliderLookAndFeel::~BleedSliderLookAndFeel() = default;

void BleedSliderLookAndFeel::drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                                               float rotaryStartAngle, float rotaryEndAngle, juce::Slider& slider)
{
    const auto left = (float) x + 6.0f;
    const auto top = (float) y + 6.0f;
    const auto bw = juce::jmax (0.0f, (float) width - 12.0f);
    const auto bh = juce::jmax (0.0f, (float) height - 12.0f);

    const auto radius = juce::jmin (bw, bh) * 0.5f;
    const auto cx = left + bw * 0.5f;
    const auto cy = top + bh * 0.5f;

    // Below these sizes the arc or the pointer would turn inside out: clamp them at zero.
    const auto arcRadius = juce::jmax (0.0f, radius - 2.0f);
    const auto pointerLength = juce::jmax (0.0f, radius - 8.0f);

    juce::Path track;
    track.addCentredArc (cx, cy, arcRadius, arcRadius, 0.0f, rotaryStartAngle, rotaryEndAngle, true);
    g.setColour (BColors::knobTrack);
    g.strokePath (track, knobStroke);

    const auto fillColour = slider.findColour (juce::Slider::rotarySliderFillColourId, false);
    const auto toAngle = rotaryStartAngle + sliderPos * (rotaryEndAngle - rotaryStartAngle);

    juce::Path valueArc;
    valueArc.addCentredArc (cx, cy, arcRadius, arcRadius, 0.0f, rotaryStartAngle, toAngle, true);
    g.setColour (fillColour);
    g.strokePath (valueArc, knobStroke);

    g.setColour (BColors::textBright);
    g.fillEllipse (cx - 3.0f, cy - 3.0f, 6.0f, 6.0f);

    const auto pointerAngle = toAngle - juce::MathConstants<float>::halfPi;
    juce::Path pointer;
    pointer.startNewSubPath (cx, cy);
    pointer.lineTo (cx + pointerLength * std::cos (pointerAngle), cy + pointerLength * std::sin (pointerAngle));
    g.setColour (BColors::textBright.withAlpha (alpha80));
    g.strokePath (pointer, pointerStroke);
}

//==============================================================================
BleedMeterBar::BleedMeterBar (ZIDodavAzaviduroProcessor& p)
    : processorRef (p)
{
    startTimer (33);
}

BleedMeterBar::~BleedMeterBar()
{
    stopTimer();
}

float BleedMeterBar::levelToProportion (float level) noexcept
{
    const auto db = juce::Decibels::gainToDecibels (level, -60.0f);
    return juce::jlimit (0.0f, 1.0f, (db + 60.0f) / 60.0f);
}

void BleedMeterBar::timerCallback()
{
    const auto level = processorRef.displayLevel.load (std::memory_order_relaxed);
    const auto gain = processorRef.displayGain.load (std::memory_order_relaxed);
    const auto thresholdDb = processorRef.displayThresholdDb.load (std::memory_order_relaxed);

    smoothedLevel = approach (smoothedLevel, level);
    smoothedGain = approach (smoothedGain, gain);
    smoothedThresholdDb = glide (smoothedThresholdDb, thresholdDb, 0.1f);

    if (smoothedLevel > peakLevel)
    {
        peakLevel = smoothedLevel;
        peakHoldTicks = peakHoldTickCount;
    }
    else if (peakHoldTicks > 0)
    {
        --peakHoldTicks;
    }
    else
    {
        peakLevel *= 0.95f;
    }

    repaint();
}

void BleedMeterBar::paint (juce::Graphics& g)
{
    const auto w = (float) getWidth();
    const auto h = (float) getHeight();

    g.setColour (BColors::panelBg);
    g.fillRoundedRectangle (0.0f, 0.0f, w, h, 6.0f);
    g.setColour (BColors::panelBorder);
    g.drawRoundedRectangle (0.5f, 0.5f, juce::jmax (0.0f, w - 1.0f), juce::jmax (0.0f, h - 1.0f), 6.0f, 0.5f);

    const auto innerWidth = juce::jmax (0.0f, w - 28.0f);
    const auto innerHeight = juce::jmax (0.0f, h - 20.0f);
    const auto colW = innerWidth / 3.0f;
    const auto meterTop = 26.0f;
    const auto mh = juce::jmax (0.0f, juce::jmax (0.0f, innerHeight - 16.0f) - 2.0f);
    const auto bottom = meterTop + mh;
    const auto meterWidth = 50.0f;

    const auto columnLeft = [colW] (int i) { return 14.0f + (float) i * colW + (colW - 50.0f) / 2.0f; };
    const auto fillHeight = [mh] (float proportion) { return (float) (int) (mh * proportion); };

    g.setFont (juce::Font (10.0f, juce::Font::plain));
    g.setColour (BColors::textDim);
    const char* captions[] = { "INPUT", "GAIN", "GR" };

    for (int i = 0; i < 3; ++i)
        g.drawText (captions[i], juce::Rectangle<int> ((int) (14.0f + (float) i * colW), 10, (int) colW, 14),
                    juce::Justification::centred, true);

    const auto column = [&] (int i) { return juce::Rectangle<float> (columnLeft (i), meterTop, meterWidth, mh); };

    // INPUT, coloured by loudness, with its noise-floor marker and peak line
    const auto x0 = columnLeft (0);
    const auto n = levelToProportion (smoothedLevel);
    const auto levelColour = n < 0.7f ? BColors::accentGreen
                           : n < 0.9f ? BColors::accentWarm
                                      : BColors::accentRed;
    drawMeterColumn (g, column (0), fillHeight (n), levelColour, false);

    const auto t = juce::jlimit (0.0f, 1.0f, (smoothedThresholdDb + 60.0f) / 60.0f);

    if (t > 0.01f)
    {
        g.setColour (BColors::accentCyan.withAlpha (alpha70));
        g.fillRect (juce::Rectangle<float> (x0 + 1.0f, bottom - t * mh - 0.5f, 48.0f, 1.5f));
    }

    const auto p = levelToProportion (peakLevel);

    if (p > 0.01f)
    {
        g.setColour (BColors::textBright.withAlpha (alpha60));
        g.fillRect (juce::Rectangle<float> (x0 + 1.0f, bottom - p * mh, 48.0f, 1.0f));
    }

    // GAIN, from the bottom; GR, hanging from the top
    drawMeterColumn (g, column (1), fillHeight (juce::jlimit (0.0f, 1.0f, smoothedGain)), BColors::accent, false);
    drawMeterColumn (g, column (2), fillHeight (juce::jlimit (0.0f, 1.0f, 1.0f - smoothedGain)), BColors::accentWarm, true);
}

//==============================================================================
ZIDodavAzaviduroEditor::ZIDodavAzaviduroEditor (ZIDodavAzaviduroProcessor& p)
    : AudioProcessorEditor (p), processorRef (p), meterBar (p)
{
    setLookAndFeel (&knobLookAndFeel);

    const auto setupLabel = [this] (juce::Label& label, const juce::String& text, juce::Font font, juce::Colour colour)
    {
        label.setText (text, juce::dontSendNotification);
        label.setFont (font);
        label.setColour (juce::Label::textColourId, colour);
        label.setJustificationType (juce::Justification::centred);
        addAndMakeVisible (label);
    };

    setupLabel (titleLabel,        "Hestrel",      juce::Font (22.0f, juce::Font::bold),  BColors::textBright);
    setupLabel (instanceLabel,     {},             juce::Font (12.0f, juce::Font::plain), BColors::textDim);
    setupLabel (gainReadout,       "0.0 dB",       juce::Font (15.0f, juce::Font::bold),  BColors::accentWarm);
    setupLabel (noiseFloorReadout, "NF: -60.0 dB", juce::Font (12.0f, juce::Font::plain), BColors::accentCyan);

    addAndMakeVisible (meterBar);

    const auto setupKnob = [this] (juce::Slider& slider, juce::Label& caption, const juce::String& text, juce::Colour fill)
    {
        slider.setSliderStyle (juce::Slider::RotaryHorizontalVerticalDrag);
        slider.setTextBoxStyle (juce::Slider::TextBoxBelow, false, 68, 18);
        slider.setColour (juce::Slider::rotarySliderFillColourId,  fill);
        slider.setColour (juce::Slider::textBoxTextColourId,       BColors::textBright);
        slider.setColour (juce::Slider::textBoxBackgroundColourId, BColors::valueBg);
        slider.setColour (juce::Slider::textBoxOutlineColourId,    BColors::valueBorder);
        slider.setColour (juce::Slider::textBoxHighlightColourId,  BColors::accentCyan.withAlpha (alpha30));
        addAndMakeVisible (slider);

        caption.setText (text, juce::dontSendNotification);
        caption.setJustificationType (juce::Justification::centred);
        caption.setColour (juce::Label::textColourId, BColors::textDim);
        caption.setFont (juce::Font (12.0f, juce::Font::plain));
        addAndMakeVisible (caption);
    };

    setupKnob (rmsWindowSlider,   rmsWindowLabel,   "RMS WINDOW",   BColors::accent);
    setupKnob (bleedRejectSlider, bleedRejectLabel, "BLEED REJECT", BColors::accentCyan);
    setupKnob (thresholdSlider,   thresholdLabel,   "NOISE FLOOR",  BColors::accentWarm);
    setupKnob (smoothingSlider,   smoothingLabel,   "SMOOTHING",    BColors::accentGreen);
    setupKnob (weightSlider,      weightLabel,      "WEIGHT",       BColors::accentPurple);
    setupKnob (maxAttenSlider,    maxAttenLabel,    "MAX ATTEN",    BColors::accentRed);

    auto& state = processorRef.parameters;
    rmsWindowAttachment   = std::make_unique<SliderAttachment> (state, ParameterIDs::rmsWindow,   rmsWindowSlider);
    bleedRejectAttachment = std::make_unique<SliderAttachment> (state, ParameterIDs::bleedReject, bleedRejectSlider);
    thresholdAttachment   = std::make_unique<SliderAttachment> (state, ParameterIDs::threshold,   thresholdSlider);
    smoothingAttachment   = std::make_unique<SliderAttachment> (state, ParameterIDs::smoothing,   smoothingSlider);
    weightAttachment      = std::make_unique<SliderAttachment> (state, ParameterIDs::weight,      weightSlider);
    maxAttenAttachment    = std::make_unique<SliderAttachment> (state, ParameterIDs::maxAtten,    maxAttenSlider);

    startTimer (100);
    setSize (380, 620);
}

ZIDodavAzaviduroEditor::~ZIDodavAzaviduroEditor()
{
    stopTimer();
    setLookAndFeel (nullptr);
}

//==============================================================================
void ZIDodavAzaviduroEditor::paint (juce::Graphics& g)
{
    const auto w = (float) getWidth();
    const auto h = (float) getHeight();

    g.setGradientFill (juce::ColourGradient (BColors::bg, 0.0f, 0.0f, BColors::bgBottom, 0.0f, h, false));
    g.fillAll();

    g.setColour (BColors::accentCyan.withAlpha (alpha60));
    g.fillRect (juce::Rectangle<float> (0.0f, 0.0f, w, 3.0f));

    g.setFont (juce::Font (13.0f, juce::Font::bold));
    g.setColour (BColors::accentCyan);
    g.drawText ("Velmora Audio", juce::Rectangle<float> (14.0f, 6.0f, 120.0f, 16.0f),
                juce::Justification::centredLeft, true);

    if (w - 20.0f > 20.0f)
    {
        g.setColour (BColors::panelBorder);
        g.fillRect (juce::Rectangle<float> (20.0f, 58.0f, w - 40.0f, 1.0f));
    }

    // Re-sizing the current font keeps it bold.
    g.setColour (BColors::textVeryDim);
    g.setFont (9.0f);
    g.drawText ("v1.0  |  Velmora Audio", juce::Rectangle<float> (8.0f, h - 14.0f, juce::jmax (0.0f, w - 16.0f), 14.0f),
                juce::Justification::centredRight, true);
}

void ZIDodavAzaviduroEditor::resized()
{
    auto area = getLocalBounds();

    area.removeFromTop (22);
    titleLabel.setBounds (area.removeFromTop (26));
    instanceLabel.setBounds (area.removeFromTop (16));
    area.removeFromTop (4);
    meterBar.setBounds (area.removeFromTop (150).reduced (30, 0));

    auto readoutRow = area.removeFromTop (18);
    gainReadout.setBounds (readoutRow.removeFromLeft (getWidth() / 2));
    noiseFloorReadout.setBounds (readoutRow);

    area.removeFromTop (8);

    const auto layoutKnobRow = [columnWidth = getWidth() / 3] (juce::Rectangle<int> row,
                                                               std::initializer_list<std::pair<juce::Label*, juce::Slider*>> knobs)
    {
        int column = 0;

        for (auto [caption, slider] : knobs)
        {
            auto cell = ++column < 3 ? row.removeFromLeft (columnWidth) : row;
            caption->setBounds (cell.removeFromTop (16));
            slider->setBounds (cell);
        }
    };

    layoutKnobRow (area.removeFromTop (100), { { &rmsWindowLabel, &rmsWindowSlider },
                                               { &bleedRejectLabel, &bleedRejectSlider },
                                               { &thresholdLabel, &thresholdSlider } });
    area.removeFromTop (12);
    layoutKnobRow (area.removeFromTop (100), { { &smoothingLabel, &smoothingSlider },
                                               { &weightLabel, &weightSlider },
                                               { &maxAttenLabel, &maxAttenSlider } });
}

//==============================================================================
void ZIDodavAzaviduroEditor::timerCallback()
{
    const auto slot = processorRef.slotIndex;
    const auto activeCount = SharedBleedManager::getInstance().getActiveCount();
    instanceLabel.setText ("Instance #" + juce::String (slot + 1) + "  |  " + juce::String (activeCount) + " active",
                           juce::dontSendNotification);

    // Compared in float, so that a published -0.1f reads "0.0 dB" as it should.
    const auto gainDb = processorRef.displayGainDb.load (std::memory_order_relaxed);
    const auto gainText = gainDb <= -59.0f ? juce::String ("-inf dB")
                        : gainDb >= -0.1f  ? juce::String ("0.0 dB")
                                           : juce::String ((double) gainDb, 1) + " dB";
    gainReadout.setText (gainText, juce::dontSendNotification);

    const auto thresholdDb = processorRef.displayThresholdDb.load (std::memory_order_relaxed);
    const auto noiseFloorText = thresholdDb <= -79.0f ? juce::String ("NF: < -80 dB")
                                                      : "NF: " + juce::String ((double) thresholdDb, 1) + " dB";
    noiseFloorReadout.setText (noiseFloorText, juce::dontSendNotification);
}
