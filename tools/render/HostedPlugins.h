#pragma once

#include <HostedInstances.h>

#include "RenderOptions.h"

/**
    The Hestrel instances of one render: one per track, all in this process, created and
    destroyed on the message thread as a DAW would.
*/
class HostedPlugins  : public HestrelHost::Instances
{
public:
    /** Applies the settings (global ones to every instance, per-track ones to theirs), converting
        each value with the parameter's own text-to-value. Fails on an unknown ID or a value that
        is not a number, before anything is changed.
    */
    juce::Result applySettings (const juce::Array<ParameterSetting>& settings);
};
