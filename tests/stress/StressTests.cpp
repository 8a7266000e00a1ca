// Many instances on several audio threads while the host does everything else at once: the
// kind of run a DAW makes when the user edits a session during playback. Built and run under
// ThreadSanitizer by the test command; in a plain build it still checks the invariants.

#include "PluginProcessor.h"
#include "SharedBleedManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

namespace juce
{
    // JUCE's own message pump for one message, so that timers, asynchronous updates and the
    // editors' refresh run on this thread while the audio threads play.
    bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
}

namespace
{
    double secondsToRun = 3.0;

    constexpr int numAudioThreads = 2;
    constexpr int blockSize = 64;
    constexpr double sampleRate = 48000.0;

    /** One insert that the audio threads play, and the handshake that lets the message thread
        take it out of the graph before deleting it, as a host does when a plug-in is removed.
    */
    struct Insert
    {
        enum State { playing, removalRequested, removed };

        std::atomic<ZIDodavAzaviduroProcessor*> processor { nullptr };
        std::atomic<int> state { removed };
        std::atomic<int> automationInFlight { 0 };
    };

    std::unique_ptr<ZIDodavAzaviduroProcessor> makePrepared (int numChannels)
    {
        auto p = std::make_unique<ZIDodavAzaviduroProcessor>();
        const auto set = numChannels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (set);
        layout.outputBuses.add (set);
        p->setBusesLayout (layout);
        p->prepareToPlay (sampleRate, blockSize);
        return p;
    }

    /** Closes an editor as the plug-in wrapper does: the processor forgets it, then it goes. */
    struct EditorCloser
    {
        void operator() (juce::AudioProcessorEditor* editor) const
        {
            editor->processor.editorBeingDeleted (editor);
            delete editor;
        }
    };

    using OpenEditor = std::unique_ptr<juce::AudioProcessorEditor, EditorCloser>;

    void pumpMessages()
    {
        for (int i = 0; i < 50 && juce::dispatchNextMessageOnSystemQueue (true); ++i) {}
    }
}

TEST (ConcurrencyStress, SixteenInstancesPlayWhileTheHostEditsTheSession)
{
    auto& manager = SharedBleedManager::getInstance();
    ASSERT_EQ (manager.getActiveCount(), 0);

    constexpr int numInserts = SharedBleedManager::maxSlots;
    std::array<Insert, numInserts> inserts;
    std::vector<std::unique_ptr<ZIDodavAzaviduroProcessor>> owned (numInserts);

    for (int i = 0; i < numInserts; ++i)
    {
        owned[(size_t) i] = makePrepared (1 + i % 2);
        inserts[(size_t) i].processor = owned[(size_t) i].get();
        inserts[(size_t) i].state = Insert::playing;
    }

    std::atomic<bool> running { true };
    std::atomic<bool> nonFiniteOutput { false };
    std::atomic<long> blocksPlayed { 0 }, automationCalls { 0 };

    // Each audio thread plays its share of the inserts, block k of all of them before block k+1.
    auto audioThread = [&] (int threadIndex)
    {
        juce::AudioBuffer<float> buffer (2, blockSize);
        juce::MidiBuffer midi;
        juce::Random random (threadIndex + 1);
        long played = 0;

        while (running.load (std::memory_order_relaxed))
        {
            for (int i = threadIndex; i < numInserts; i += numAudioThreads)
            {
                auto& insert = inserts[(size_t) i];
                auto state = insert.state.load (std::memory_order_acquire);

                if (state == Insert::removalRequested)
                    insert.state.store (state = Insert::removed, std::memory_order_release);

                if (state != Insert::playing)
                    continue;

                auto* p = insert.processor.load (std::memory_order_acquire);
                const auto numChannels = p->getTotalNumInputChannels();
                buffer.setSize (numChannels, blockSize, false, false, true);

                // Speech-like bursts on some tracks, silence on others: every branch of the decision.
                const auto level = random.nextInt (4) == 0 ? 0.0f : random.nextFloat();

                for (int ch = 0; ch < numChannels; ++ch)
                    for (int s = 0; s < blockSize; ++s)
                        buffer.setSample (ch, s, level * (random.nextFloat() * 2.0f - 1.0f));

                p->processBlock (buffer, midi);

                for (int ch = 0; ch < numChannels; ++ch)
                    for (int s = 0; s < blockSize; ++s)
                        if (! std::isfinite (buffer.getSample (ch, s)))
                            nonFiniteOutput = true;

                ++played;
            }
        }

        blocksPlayed += played;
    };

    // Host automation from a thread of its own, including values no host should send.
    auto automationThread = [&]
    {
        juce::Random random (99);
        const float oddValues[] = { std::numeric_limits<float>::quiet_NaN(), -0.5f, 1.5f,
                                    std::numeric_limits<float>::infinity() };
        long calls = 0;

        while (running.load (std::memory_order_relaxed))
        {
            auto& insert = inserts[(size_t) random.nextInt (numInserts)];

            // Announce the call before looking at the insert, so that the message thread, which
            // clears the pointer and then waits for the count to drop, never deletes it under us.
            insert.automationInFlight.fetch_add (1);

            if (auto* p = insert.processor.load())
            {
                auto& parameters = p->getParameters();
                auto* parameter = parameters[random.nextInt (parameters.size())];
                const auto value = random.nextInt (10) == 0 ? oddValues[random.nextInt (4)] : random.nextFloat();
                parameter->setValueNotifyingHost (value);
                ++calls;
            }

            insert.automationInFlight.fetch_sub (1);
            std::this_thread::yield();
        }

        automationCalls = calls;
    };

    std::vector<std::thread> threads;

    for (int t = 0; t < numAudioThreads; ++t)
        threads.emplace_back (audioThread, t);

    std::thread automation (automationThread);

    // The message thread: removes and re-inserts plug-ins, creates extra ones that find every
    // slot taken, saves and loads states, and opens and closes editors, all during playback.
    juce::Random random (7);
    std::vector<OpenEditor> editors;
    int rounds = 0, replaced = 0, statesMoved = 0, editorsOpened = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double> (secondsToRun);

    auto countHeldByLiveInstances = [&] (const std::vector<std::unique_ptr<ZIDodavAzaviduroProcessor>>& extra)
    {
        int held = 0;

        for (auto& p : owned)    held += p != nullptr && p->slotIndex >= 0 ? 1 : 0;
        for (auto& p : extra)    held += p->slotIndex >= 0 ? 1 : 0;

        return held;
    };

    while (std::chrono::steady_clock::now() < deadline)
    {
        ++rounds;

        // Extra inserts while all slots are held: they get none and pass audio unchanged.
        std::vector<std::unique_ptr<ZIDodavAzaviduroProcessor>> extra;

        for (int i = 0; i < 1 + random.nextInt (3); ++i)
            extra.push_back (std::make_unique<ZIDodavAzaviduroProcessor>());

        EXPECT_EQ (manager.getActiveCount(), countHeldByLiveInstances (extra));
        extra.clear();

        // Remove one insert from the graph, delete it, and insert a new one in its place.
        if (rounds % 4 == 0)
        {
            const auto index = (size_t) random.nextInt (numInserts);
            auto& insert = inserts[index];

            insert.state.store (Insert::removalRequested, std::memory_order_release);

            while (insert.state.load (std::memory_order_acquire) != Insert::removed)
                std::this_thread::yield();

            // Editors of the insert go first, as the wrapper closes them before deleting it.
            editors.erase (std::remove_if (editors.begin(), editors.end(),
                                           [&] (auto& e) { return e->getAudioProcessor() == owned[index].get(); }),
                           editors.end());

            // Automation may still be in flight: take the insert out of reach, then let it land.
            insert.processor.store (nullptr);

            while (insert.automationInFlight.load() != 0)
                std::this_thread::yield();

            owned[index].reset();
            EXPECT_EQ (manager.getActiveCount(), countHeldByLiveInstances ({}));

            owned[index] = makePrepared (1 + random.nextInt (2));
            EXPECT_GE (owned[index]->slotIndex, 0) << "the freed slot goes to the next instance";
            insert.processor.store (owned[index].get(), std::memory_order_release);
            insert.state.store (Insert::playing, std::memory_order_release);
            ++replaced;
        }

        // Copy the state of one insert to another, as a preset or a duplicated track does.
        {
            auto& from = owned[(size_t) random.nextInt (numInserts)];
            auto& to = owned[(size_t) random.nextInt (numInserts)];
            juce::MemoryBlock state;
            from->getStateInformation (state);
            to->setStateInformation (state.getData(), (int) state.getSize());
            ++statesMoved;
        }

        // Open an editor now and then; close the oldest when there are a few.
        if (rounds % 3 == 0)
        {
            auto& p = owned[(size_t) random.nextInt (numInserts)];

            if (p->getActiveEditor() == nullptr)
            {
                editors.emplace_back (p->createEditorIfNeeded());
                ++editorsOpened;
            }
        }

        if (editors.size() > 4)
            editors.erase (editors.begin());

        pumpMessages();
    }

    editors.clear();
    running = false;
    automation.join();

    for (auto& t : threads)
        t.join();

    EXPECT_FALSE (nonFiniteOutput.load()) << "finite input must give finite output";
    EXPECT_EQ (manager.getActiveCount(), numInserts);

    // A summary for the log: what the run actually covered.
    std::printf ("stress: %.0f s, %d audio threads, %d inserts, %ld blocks, %ld automation calls, "
                 "%d inserts replaced, %d states moved, %d editors opened\n",
                 secondsToRun, numAudioThreads, numInserts, blocksPlayed.load(), automationCalls.load(),
                 replaced, statesMoved, editorsOpened);

    owned.clear();
    EXPECT_EQ (manager.getActiveCount(), 0);
}

int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);

    for (int i = 1; i < argc; ++i)
        if (juce::String (argv[i]).startsWith ("--seconds="))
            secondsToRun = juce::jlimit (0.1, 600.0, juce::String (argv[i]).fromFirstOccurrenceOf ("=", false, false).getDoubleValue());

    const juce::ScopedJuceInitialiser_GUI juce;
    return RUN_ALL_TESTS();
}
