#pragma once

#include <juce_graphics/juce_graphics.h>

/** The seventeen colours of the Hestrel window. Nothing in the editor spells out a colour of
    its own; a translucent variant keeps one of these and replaces only its alpha byte.
*/
namespace BColors
{
    const juce::Colour bg           { 0xFF1A1A2E };   /**< Top of the window's gradient. */
    const juce::Colour bgBottom     { 0xFF12121F };   /**< Bottom of the window's gradient. */
    const juce::Colour panelBg      { 0xFF14142A };   /**< Fill of the meter panel. */
    const juce::Colour panelBorder  { 0xFF2A2A4A };   /**< Meter panel outline; header separator. */
    const juce::Colour meterBg      { 0xFF1C1C38 };   /**< Empty track behind each meter column. */
    const juce::Colour accent       { 0xFF4FC3F7 };   /**< GAIN column; RMS WINDOW knob. */
    const juce::Colour accentWarm   { 0xFFFF9800 };   /**< Loud input, GR column; NOISE FLOOR knob; gain text. */
    const juce::Colour accentGreen  { 0xFF66BB6A };   /**< Quiet input; SMOOTHING knob. */
    const juce::Colour accentPurple { 0xFFAB47BC };   /**< WEIGHT knob. */
    const juce::Colour accentRed    { 0xFFEF5350 };   /**< Input near full scale; MAX ATTEN knob. */
    const juce::Colour accentCyan   { 0xFF26C6DA };   /**< Noise-floor marker and text; BLEED REJECT knob; top strip; maker name. */
    const juce::Colour textBright   { 0xFFE8E8F0 };   /**< Knob dot and pointer, peak line, value boxes, title. */
    const juce::Colour textDim      { 0xFF7A7A9A };   /**< Meter and knob captions; instance line. */
    const juce::Colour textVeryDim  { 0xFF555570 };   /**< Footer line. */
    const juce::Colour knobTrack    { 0xFF2A2A4A };   /**< Background arc of every knob. */
    const juce::Colour valueBg      { 0xFF1A1A35 };   /**< Background of the knobs' value boxes. */
    const juce::Colour valueBorder  { 0xFF2A2A50 };   /**< Outline of the knobs' value boxes. */
}
