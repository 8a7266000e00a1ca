#pragma once

#include "PluginProcessor.h"
#include "identity/HestrelPalette.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

//==============================================================================
/** Draws the six parameter knobs as a thin track, a value arc in the knob's own accent, a
    centre dot and a pointer; everything else keeps LookAndFeel_V4's drawing.
*/
class BleedSliderLookAndFeel  : public juce::LookAndFeel_V4
{
public:
    /** Gives every slider's value box the palette's text, background and outline colours. */
    BleedSliderLookAndFeel();
    ~BleedSliderLookAndFeel() override;

    /** Draws one knob into the rotary area (the value box is not part of it). The value arc
        takes the slider's own rotarySliderFillColourId.
    */
    void drawRotarySlider (juce::Graphics&, int x, int y, int width, int height, float sliderPos,
                           float rotaryStartAngle, float rotaryEndAngle, juce::Slider&) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BleedSliderLookAndFeel)
};

//==============================================================================
/**
    The meter panel: INPUT level (−60 to 0 dB, with peak hold and noise-floor marker), GAIN
    and GR. It polls the processor's read-outs on its own 33 ms timer, smooths them for the
    eye and repaints itself; it takes no lock and never calls into the audio path.
*/
class BleedMeterBar  : public juce::Component,
                       private juce::Timer
{
public:
    /** Starts polling the processor at once. */
    explicit BleedMeterBar (ZIDodavAzaviduroProcessor&);
    ~BleedMeterBar() override;

    /** Draws the panel from the smoothed values only. */
    void paint (juce::Graphics&) override;

    /** Where a linear level sits on the INPUT column: 0 at −60 dB and below, 1 at 0 dB and above. */
    static float levelToProportion (float level) noexcept;

    /** How many ticks the peak line stays put before it starts to fall. */
    static constexpr int peakHoldTickCount = 30;

private:
    void timerCallback() override;

    ZIDodavAzaviduroProcessor& processorRef;
    float smoothedLevel = 0.0f;
    float smoothedGain = 1.0f;
    float smoothedThresholdDb = -60.0f;
    float peakLevel = 0.0f;
    int peakHoldTicks = 0;

    friend struct BleedMeterBarTestAccess;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BleedMeterBar)
};

//==============================================================================
/**
    The Hestrel window, 380 × 620: header, instance line, meter panel, gain and noise-floor
    read-outs, and six knobs bound to the parameters. A 100 ms timer rewrites the instance line
    and the two read-outs from the processor's published values.
*/
class ZIDodavAzaviduroEditor  : public juce::AudioProcessorEditor,
                                private juce::Timer
{
public:
    /** Builds the window for one processor; the host's wrapper owns and deletes it. */
    explicit ZIDodavAzaviduroEditor (ZIDodavAzaviduroProcessor&);
    ~ZIDodavAzaviduroEditor() override;

    /** Paints the background, top strip, maker's mark, separator and version line. */
    void paint (juce::Graphics&) override;

    /** Places the children from top to bottom. */
    void resized() override;

private:
    void timerCallback() override;

    ZIDodavAzaviduroProcessor& processorRef;
    BleedSliderLookAndFeel knobLookAndFeel;
    BleedMeterBar meterBar;

    juce::Slider rmsWindowSlider, bleedRejectSlider, thresholdSlider,
                 smoothingSlider, weightSlider, maxAttenSlider;

    juce::Label rmsWindowLabel, bleedRejectLabel, thresholdLabel,
                smoothingLabel, weightLabel, maxAttenLabel;

    juce::Label titleLabel, instanceLabel, gainReadout, noiseFloorReadout;

    using SliderAttachment = juce::AudioProcessorValueTreeState::SliderAttachment;
    std::unique_ptr<SliderAttachment> rmsWindowAttachment, bleedRejectAttachment, thresholdAttachment,
                                      smoothingAttachment, weightAttachment, maxAttenAttachment;

    friend struct ZIDodavAzaviduroEditorTestAccess;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZIDodavAzaviduroEditor)
};
