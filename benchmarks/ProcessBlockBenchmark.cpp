// The cost of the audio callback on one thread: per sample, one store into the shared
// registry and one read of its slots, for every instance in the session. The same bundle
// on several audio threads at once is measured by hestrel_host_benchmark.

#include "PluginProcessor.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

static void processBlockRoundRobin (benchmark::State& state)
{
    const juce::ScopedJuceInitialiser_GUI juce;
    const auto numInstances = (int) state.range (0);
    const auto blockSize = (int) state.range (1);

    std::vector<std::unique_ptr<ZIDodavAzaviduroProcessor>> instances;
    juce::AudioBuffer<float> noise (2, blockSize), buffer (2, blockSize);
    juce::MidiBuffer midi;
    juce::Random random (1);

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < blockSize; ++i)
            noise.setSample (ch, i, random.nextFloat() - 0.5f);

    for (int i = 0; i < numInstances; ++i)
    {
        instances.push_back (std::make_unique<ZIDodavAzaviduroProcessor>());
        instances.back()->prepareToPlay (48000.0, blockSize);
    }

    for (auto _ : state)
    {
        for (auto& instance : instances)
        {
            buffer.makeCopyOf (noise, true);

            instance->processBlock (buffer, midi);
        }

        benchmark::DoNotOptimize (buffer.getReadPointer (0));
    }

    state.SetItemsProcessed (state.iterations() * numInstances * blockSize);
    state.counters["realtime_x"] = benchmark::Counter ((double) state.iterations() * blockSize / 48000.0,
                                                       benchmark::Counter::kIsRate);
}

BENCHMARK (processBlockRoundRobin)->ArgsProduct ({ { 1, 4, registrySlotCount }, { 64, 512 } })->Unit (benchmark::kMicrosecond);

BENCHMARK_MAIN();
