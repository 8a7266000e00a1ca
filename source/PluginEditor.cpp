#include "PluginEditor.h"

ZIDodavAzaviduroEditor::ZIDodavAzaviduroEditor (ZIDodavAzaviduroProcessor& p)
    : AudioProcessorEditor (p), processorRef (p)
{
    setSize (380, 620);
}

ZIDodavAzaviduroEditor::~ZIDodavAzaviduroEditor() = default;

void ZIDodavAzaviduroEditor::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xFF1A1A2E));
}
