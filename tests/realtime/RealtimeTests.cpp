// The audio callback allocates nothing, and instances come and go safely while others process.

#include "AllocationCounter.h"
#include "ProcessorFixture.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <thread>

using RealtimeTest = ProcessorFixture;

TEST (AllocationCounterTest, SeesEveryWayTheAudioPathCouldAllocate)
{
    if (! AllocationCounter::isAvailable())
        GTEST_SKIP() << "the allocator belongs to the sanitizer in this build";

    // Kept where the optimiser cannot see them, so that it cannot drop an unused allocation.
    static void* volatile sink = nullptr;

    AllocationCounter::start();
    sink = std::malloc (16);                        std::free (sink);
    sink = std::calloc (4, 4);                      std::free (sink);
    sink = std::realloc (nullptr, 16);              std::free (sink);
    sink = new int (1);                             delete static_cast<int*> (sink);
    { juce::HeapBlock<float> block (64);            sink = block.get(); }
    { juce::AudioBuffer<float> buffer (2, 64);      sink = buffer.getWritePointer (0); }
    EXPECT_GE (AllocationCounter::stop(), 6);
}

TEST_F (RealtimeTest, ProcessBlockAllocatesNothing)
{
    if (! AllocationCounter::isAvailable())
        GTEST_SKIP() << "the allocator belongs to the sanitizer in this build";

    add (2); add (1);
    runConstant ({ 0.2f, 0.4f }, 0.05);

    // The 17th instance has no slot; it must pass audio without allocating either.
    std::vector<std::unique_ptr<ZIDodavAzaviduroProcessor>> fillers;

    while (SharedBleedManager::getInstance().getActiveCount() < SharedBleedManager::maxSlots)
        fillers.push_back (std::make_unique<ZIDodavAzaviduroProcessor>());

    ZIDodavAzaviduroProcessor slotless;
    slotless.prepareToPlay (sampleRate, blockSize);
    ASSERT_LT (slotless.slotIndex, 0);

    juce::AudioBuffer<float> stereo (2, 512), mono (1, 512), empty (2, 0);
    stereo.clear(); mono.clear();
    juce::MidiBuffer midi;

    // A parameter change between blocks makes the next block recompute its coefficients.
    setParameter (*processors[0], ParameterIDs::smoothing, 20.0f);

    AllocationCounter::start();
    processors[0]->processBlock (stereo, midi);
    processors[1]->processBlock (mono, midi);
    processors[0]->processBlock (empty, midi);
    slotless.processBlock (stereo, midi);
    EXPECT_EQ (AllocationCounter::stop(), 0);
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
