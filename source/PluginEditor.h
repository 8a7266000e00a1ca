#pragma once

#include "PluginProcessor.h"

/** The Hestrel window. */
class ZIDodavAzaviduroEditor  : public juce::AudioProcessorEditor
{
public:
    explicit ZIDodavAzaviduroEditor (ZIDodavAzaviduroProcessor&);
    ~ZIDodavAzaviduroEditor() override;

    void paint (juce::Graphics&) override;

private:
    ZIDodavAzaviduroProcessor& processorRef;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZIDodavAzaviduroEditor)
};
