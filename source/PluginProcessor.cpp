#include "PluginProcessor.h"
#include "FiniteFloatParameter.h"
#include "PluginEditor.h"
#include "SharedBleedManager.h"
#include "StateTextCheck.h"

#include <cmath>

//==============================================================================
namespace
{
    int truncateToInt (float value) noexcept
    {
        return std::isfinite (value) ? (int) juce::jlimit (-2.0e9f, 2.0e9f, value) : 0;
    }

    juce::String oneDecimal (float value, const char* unit)
    {
        return juce::String (value, 1) + unit;
    }

    /** The framework's text-to-value applies: typed "nan" reads as NaN, which the parameter
        turns into its default, as it does a loaded "nan" and a NaN from the host.
    */
    std::unique_ptr<juce::AudioParameterFloat> makeParameter (const char* id, const char* name,
                                                              juce::NormalisableRange<float> range, float defaultValue,
                                                              std::function<juce::String (float, int)> valueToText)
    {
        return std::make_unique<FiniteFloatParameter> (juce::ParameterID { id, 1 }, name, range, defaultValue,
                                                       juce::AudioParameterFloatAttributes()
                                                           .withLabel ({})
                                                           .withCategory (juce::AudioProcessorParameter::genericParameter)
                                                           .withStringFromValueFunction (std::move (valueToText)));
    }

    /** Decibels at or below this become a gain of 0. */
    constexpr float silenceDb = -100.0f;

    /** The dB read-out never shows less than this. */
    constexpr float displayFloorDb = -60.0f;

    /** At the two lowest settings (shown "-inf") there is no floor at all. */
    float floorGainFor (float maxAttenDb) noexcept
    {
        return maxAttenDb <= -59.5f ? 0.0f : juce::Decibels::decibelsToGain (maxAttenDb, silenceDb);
    }
}

//==============================================================================
ZIDodavAzaviduroProcessor::ParameterReader::ParameterReader (juce::AudioProcessorValueTreeState& state,
                                                             const char* parameterID)
    : value (state.getRawParameterValue (parameterID))
{
    jassert (value != nullptr);

    if (auto* parameter = state.getParameter (parameterID))
        defaultValue = parameter->convertFrom0to1 (parameter->getDefaultValue());
}

float ZIDodavAzaviduroProcessor::ParameterReader::get() const noexcept
{
    const auto v = value->load (std::memory_order_relaxed);
    return std::isfinite (v) ? v : defaultValue;
}

//==============================================================================
ZIDodavAzaviduroProcessor::ZIDodavAzaviduroProcessor()
    : AudioProcessor (BusesProperties().withInput  ("Input",  juce::AudioChannelSet::stereo(), true)
                                       .withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      parameters (*this, nullptr, "Parameters", createParameterLayout()),
      slotIndex (SharedBleedManager::getInstance().registerInstance())
{
}

ZIDodavAzaviduroProcessor::~ZIDodavAzaviduroProcessor()
{
    if (slotIndex >= 0)
        SharedBleedManager::getInstance().unregisterInstance (slotIndex);
}

juce::AudioProcessorValueTreeState::ParameterLayout ZIDodavAzaviduroProcessor::createParameterLayout()
{
    using Range = juce::NormalisableRange<float>;

    juce::AudioProcessorValueTreeState::ParameterLayout layout;

    layout.add (makeParameter (ParameterIDs::rmsWindow, ParameterNames::rmsWindow, Range (10.0f, 1000.0f, 1.0f, 0.5f), 300.0f,
                               [] (float v, int) { return juce::String (truncateToInt (v)) + " ms"; }));

    layout.add (makeParameter (ParameterIDs::bleedReject, ParameterNames::bleedReject, Range (-30.0f, -3.0f, 0.5f, 1.0f), -12.0f,
                               [] (float v, int) { return oneDecimal (v, " dB"); }));

    layout.add (makeParameter (ParameterIDs::threshold, ParameterNames::threshold, Range (-80.0f, 0.0f, 0.1f, 1.0f), -60.0f,
                               [] (float v, int) { return oneDecimal (v, " dB"); }));

    layout.add (makeParameter (ParameterIDs::smoothing, ParameterNames::smoothing, Range (0.5f, 100.0f, 0.1f, 0.5f), 5.0f,
                               [] (float v, int) { return oneDecimal (v, " ms"); }));

    layout.add (makeParameter (ParameterIDs::weight, ParameterNames::weight, Range (0.0f, 200.0f, 1.0f, 1.0f), 100.0f,
                               [] (float v, int) { return juce::String (truncateToInt (v)) + " %"; }));

    layout.add (makeParameter (ParameterIDs::maxAtten, ParameterNames::maxAtten, Range (-60.0f, 0.0f, 0.5f, 1.0f), -60.0f,
                               [] (float v, int) { return v <= -59.5f ? juce::String ("-inf") : oneDecimal (v, " dB"); }));

    return layout;
}

//==============================================================================
const juce::String ZIDodavAzaviduroProcessor::getName() const    { return "Hestrel"; }

float ZIDodavAzaviduroProcessor::onePoleCoefficient (float sampleRate, float timeMs) noexcept
{
    const auto timeInSamples = sampleRate * timeMs * 0.001f;

    // A sample rate a host should never send (0, negative, NaN) means no smoothing, never an unstable filter.
    return timeInSamples > 0.0f && std::isfinite (timeInSamples) ? std::exp (-1.0f / timeInSamples) : 0.0f;
}

void ZIDodavAzaviduroProcessor::updateCoefficients (float rmsWindowMs, float smoothingMs) noexcept
{
    const auto fs = (float) currentSampleRate;
    rmsCoeff = onePoleCoefficient (fs, rmsWindowMs);
    smoothingCoeff = onePoleCoefficient (fs, smoothingMs);
}

void ZIDodavAzaviduroProcessor::prepareToPlay (double sampleRate, int)
{
    currentSampleRate = sampleRate;

    const auto rmsWindowMs = rmsWindowValue.get();
    const auto smoothingMs = smoothingValue.get();
    updateCoefficients (rmsWindowMs, smoothingMs);

    powerEnvelope = 0.0f;
    appliedGain = 1.0f;
}

void ZIDodavAzaviduroProcessor::releaseResources() {}

void ZIDodavAzaviduroProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    const juce::ScopedNoDenormals noDenormals;

    if (slotIndex < 0)
        return;

    const auto rmsWindowMs = rmsWindowValue.get();
    const auto smoothingMs = smoothingValue.get();
    updateCoefficients (rmsWindowMs, smoothingMs);

    const auto bleedRejectDb = bleedRejectValue.get();
    const auto thresholdDb = thresholdValue.get();
    const auto thresholdGain = juce::Decibels::decibelsToGain (thresholdDb, silenceDb);
    const auto weightFactor = weightValue.get() / 100.0f;
    const auto floorGain = floorGainFor (maxAttenValue.get());

    auto& manager = SharedBleedManager::getInstance();
    const auto numChannels = buffer.getNumChannels();
    const auto numSamples = buffer.getNumSamples();
    auto* const* channels = buffer.getArrayOfWritePointers();

    for (int i = 0; i < numSamples; ++i)
    {
        float sumOfSquares = 0.0f;

        for (int ch = 0; ch < numChannels; ++ch)
            sumOfSquares += channels[ch][i] * channels[ch][i];

        const auto meanSquare = numChannels > 0 ? sumOfSquares / (float) numChannels : 0.0f;
        const auto nextEnvelope = rmsCoeff * powerEnvelope + (1.0f - rmsCoeff) * meanSquare;

        // A NaN, infinite or overflowing sample would otherwise poison the detector for good.
        if (std::isfinite (nextEnvelope))
            powerEnvelope = nextEnvelope;

        const auto rms = std::sqrt (powerEnvelope);
        manager.publishLevel (slotIndex, rms < thresholdGain ? SharedBleedManager::silentLevel : rms, weightFactor);

        const auto target = juce::jmax (floorGain, manager.computeTargetGain (slotIndex, bleedRejectDb));
        appliedGain = smoothingCoeff * appliedGain + (1.0f - smoothingCoeff) * target;

        for (int ch = 0; ch < numChannels; ++ch)
            channels[ch][i] *= appliedGain;
    }

    displayLevel.store (std::sqrt (powerEnvelope), std::memory_order_relaxed);
    displayGain.store (appliedGain, std::memory_order_relaxed);
    displayGainDb.store (juce::Decibels::gainToDecibels (appliedGain, displayFloorDb), std::memory_order_relaxed);
    displayThresholdDb.store (thresholdDb, std::memory_order_relaxed);
}

double ZIDodavAzaviduroProcessor::getTailLengthSeconds() const    { return 0.0; }
bool ZIDodavAzaviduroProcessor::acceptsMidi() const               { return false; }
bool ZIDodavAzaviduroProcessor::producesMidi() const              { return false; }
bool ZIDodavAzaviduroProcessor::isMidiEffect() const              { return false; }

juce::AudioProcessorEditor* ZIDodavAzaviduroProcessor::createEditor()    { return new ZIDodavAzaviduroEditor (*this); }
bool ZIDodavAzaviduroProcessor::hasEditor() const                        { return true; }

int ZIDodavAzaviduroProcessor::getNumPrograms()                                 { return 1; }
int ZIDodavAzaviduroProcessor::getCurrentProgram()                              { return 0; }
void ZIDodavAzaviduroProcessor::setCurrentProgram (int)                         {}
const juce::String ZIDodavAzaviduroProcessor::getProgramName (int)              { return {}; }
void ZIDodavAzaviduroProcessor::changeProgramName (int, const juce::String&)    {}

//==============================================================================
void ZIDodavAzaviduroProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    const auto state = parameters.copyState();

    if (const auto xml = state.createXml())
        copyXmlToBinary (*xml, destData);
}

/** True when the text of a state blob is safe for the framework's XML reader: well-formed
    UTF-8 up to its end or its first zero byte (a multi-byte sequence cut short would make the
    reader read past the text), and XML that passes the strict check of StateTextCheck.
*/
static bool hasSafeText (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes < 9)
        return false;

    const auto* bytes = static_cast<const char*> (data);
    const auto lengthField = (int) juce::ByteOrder::littleEndianInt (bytes + 4);
    const auto textBytes = juce::jmin (sizeInBytes - 8, lengthField);

    return textBytes > 0
            && juce::CharPointer_UTF8::isValidString (bytes + 8, textBytes)
            && StateTextCheck::isSafeToParse (bytes + 8, (size_t) textBytes);
}

void ZIDodavAzaviduroProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    if (! hasSafeText (data, sizeInBytes))
        return;

    const auto xml = getXmlFromBinary (data, sizeInBytes);

    if (xml == nullptr || ! xml->hasTagName (parameters.state.getType()))
        return;

    auto loadedState = juce::ValueTree::fromXml (*xml);

    if (! loadedState.isValid())
        return;

    prepareLoadedState (loadedState);
    parameters.replaceState (loadedState);
}

/** Prepares a loaded tree so that binding it keeps what the user had:

    - a "value" that the binding will change (clamped to the range, snapped to the grid, or a
      NaN turned into the default) is replaced by the value the parameter will hold, in the
      framework's double form; left as it was, it would be saved again as loaded whenever the
      result equals the current value;
    - a parameter that the tree lacks gets a child holding its current value, after the loaded
      ones (the framework would otherwise reset it to its default).
*/
void ZIDodavAzaviduroProcessor::prepareLoadedState (juce::ValueTree& loadedState) const
{
    static const juce::Identifier idProperty ("id"), valueProperty ("value");

    for (auto child : loadedState)
    {
        const auto* valueText = child.getPropertyPointer (valueProperty);
        auto* parameter = parameters.getParameter (child[idProperty].toString());

        if (valueText == nullptr || parameter == nullptr)
            continue;

        // As the value-tree state reads it, binds it and reads it back from the parameter.
        const auto loaded = (float) *valueText;

        if (loaded == parameters.getRawParameterValue (parameter->paramID)->load())
            continue;

        const auto bound = parameter->convertFrom0to1 (parameter->convertTo0to1 (loaded));
        const auto held = parameter->convertFrom0to1 (parameter->convertTo0to1 (bound));

        if (! (held == loaded))
            child.setProperty (valueProperty, (double) held, nullptr);
    }

    for (auto* parameter : getParameters())
    {
        auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (parameter);

        if (ranged == nullptr || loadedState.getChildWithProperty (idProperty, ranged->paramID).isValid())
            continue;

        juce::ValueTree child ("PARAM");
        child.setProperty (idProperty, ranged->paramID, nullptr);
        child.setProperty (valueProperty, parameters.getRawParameterValue (ranged->paramID)->load(), nullptr);
        loadedState.appendChild (child, nullptr);
    }
}

bool ZIDodavAzaviduroProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    const auto input = layouts.getMainInputChannelSet();
    const auto output = layouts.getMainOutputChannelSet();

    if (input != output)
        return false;

    return input == juce::AudioChannelSet::mono() || input == juce::AudioChannelSet::stereo();
}

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new ZIDodavAzaviduroProcessor();
}
