// The audio callback allocates nothing, and instances come and go safely while others process.

#include "ProcessorFixture.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <thread>

namespace
{
    thread_local bool countingAllocations = false;
    thread_local int allocationsCounted = 0;
}

void* operator new (std::size_t size)
{
    if (countingAllocations)
        ++allocationsCounted;

    if (auto* p = std::malloc (size == 0 ? 1 : size))
        return p;

    throw std::bad_alloc();
}

void operator delete (void* p) noexcept                  { std::free (p); }
void operator delete (void* p, std::size_t) noexcept     { std::free (p); }

using RealtimeTest = ProcessorFixture;

TEST_F (RealtimeTest, ProcessBlockAllocatesNothing)
{
    add (2); add (1);
    runConstant ({ 0.2f, 0.4f }, 0.05);

    juce::AudioBuffer<float> stereo (2, 512), mono (1, 512), empty (2, 0);
    stereo.clear(); mono.clear();
    juce::MidiBuffer midi;

    countingAllocations = true;
    processors[0]->processBlock (stereo, midi);
    processors[1]->processBlock (mono, midi);
    processors[0]->processBlock (empty, midi);
    countingAllocations = false;

    EXPECT_EQ (allocationsCounted, 0);
}

TEST_F (RealtimeTest, InstancesComeAndGoWhileOthersProcess)
{
    add(); add();
    std::atomic<bool> running { true };
    std::atomic<bool> nonFinite { false };

    auto audioThread = [&] (size_t index)
    {
        juce::AudioBuffer<float> buffer (1, 64);
        juce::MidiBuffer midi;

        while (running.load())
        {
            juce::FloatVectorOperations::fill (buffer.getWritePointer (0), 0.25f, 64);
            processors[index]->processBlock (buffer, midi);

            if (! std::isfinite (processors[index]->displayGain.load()))
                nonFinite = true;
        }
    };

    std::thread first (audioThread, 0), second (audioThread, 1);

    // The message thread creates and deletes instances and reads the count, as a host and an editor do.
    for (int round = 0; round < 300; ++round)
    {
        std::vector<std::unique_ptr<ZIDodavAzaviduroProcessor>> extra;

        for (int i = 0; i < 1 + round % 20; ++i)
            extra.push_back (std::make_unique<ZIDodavAzaviduroProcessor>());

        const auto count = SharedBleedManager::getInstance().getActiveCount();
        EXPECT_GE (count, 2);
        EXPECT_LE (count, SharedBleedManager::maxSlots);
    }

    running = false;
    first.join();
    second.join();

    EXPECT_FALSE (nonFinite.load());
    EXPECT_EQ (SharedBleedManager::getInstance().getActiveCount(), 2);
}
