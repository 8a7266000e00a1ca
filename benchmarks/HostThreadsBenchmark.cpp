// The built bundle as a multi-threaded host runs it: N stereo instances at 48 kHz split over T
// audio threads; in every period each thread processes its own instances' blocks, then all
// threads meet at a barrier before the next period, as a DAW's parallel graph does. The whole
// matrix runs several times in one process so that every ratio compares figures of one run.
//
//   hestrel_host_benchmark --plugin=PATH.vst3 [--repeats=N] [--seconds=S] [--markdown=FILE]

#include "HostThreadsTiming.h"
#include "HostedInstances.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <pthread.h>
#include <sched.h>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace
{
    constexpr double sampleRate = 48000.0;

    /** Threads meet here at the end of every period; the last to arrive notes the time, so the
        gap between two notes is the period's wall time in the host.
    */
    class PeriodBarrier
    {
    public:
        explicit PeriodBarrier (int numThreads, int numPeriods)
            : expected (numThreads)
        {
            periodEnds.reserve ((size_t) numPeriods + 1);
        }

        void arriveAndWait()
        {
            std::unique_lock<std::mutex> lock (mutex);
            const auto myGeneration = generation;

            if (++arrived == expected)
            {
                periodEnds.push_back (Clock::now());
                arrived = 0;
                ++generation;
                wake.notify_all();
                return;
            }

            wake.wait (lock, [&] { return generation != myGeneration; });
        }

        std::vector<Clock::time_point> periodEnds;

    private:
        std::mutex mutex;
        std::condition_variable wake;
        const int expected;
        int arrived = 0;
        long generation = 0;
    };

    double threadCpuSeconds()
    {
        timespec t {};
        clock_gettime (CLOCK_THREAD_CPUTIME_ID, &t);
        return (double) t.tv_sec + (double) t.tv_nsec * 1.0e-9;
    }

    /** Noise at a different level on every track, so that the shares and the bleed test vary. */
    juce::AudioBuffer<float> makeInput (int index, int blockSize)
    {
        juce::AudioBuffer<float> input (2, blockSize);
        juce::Random random (index + 1);
        const auto level = 1.0f / (float) (1 + index % 5);

        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < blockSize; ++i)
                input.setSample (ch, i, level * (random.nextFloat() * 2.0f - 1.0f));

        return input;
    }

    /** Audio threads run at real-time priority in a DAW (SCHED_FIFO, as JACK and Ardour's ALSA
        back-end run them); without the right to it, the thread keeps its normal priority.
    */
    bool makeCurrentThreadRealtime()
    {
        sched_param parameters {};
        parameters.sched_priority = 70;
        return pthread_setschedparam (pthread_self(), SCHED_FIFO, &parameters) == 0;
    }

    Measurement runOnce (const juce::File& bundle, const Scenario& scenario, double seconds, juce::String& error)
    {
        const auto periodSeconds = scenario.blockSize / sampleRate;
        const auto numPeriods = juce::jmax (50, (int) (seconds / periodSeconds));
        const auto warmUpPeriods = numPeriods / 10;

        HestrelHost::Instances instances;
        juce::Array<int> stereo;
        stereo.insertMultiple (0, 2, scenario.instances);

        if (auto result = instances.load (bundle, scenario.instances, sampleRate, scenario.blockSize); result.failed())
        {
            error = result.getErrorMessage();
            return {};
        }

        if (auto result = instances.prepare (stereo, sampleRate, scenario.blockSize); result.failed())
        {
            error = result.getErrorMessage();
            return {};
        }

        std::vector<juce::AudioBuffer<float>> inputs, buffers;

        for (int i = 0; i < scenario.instances; ++i)
        {
            inputs.push_back (makeInput (i, scenario.blockSize));
            buffers.emplace_back (2, scenario.blockSize);
        }

        PeriodBarrier barrier (scenario.threads, warmUpPeriods + numPeriods);
        std::vector<std::vector<double>> callSeconds ((size_t) scenario.threads);
        std::vector<double> cpuSeconds ((size_t) scenario.threads);
        std::atomic<int> realtimeThreads { 0 };

        auto audioThread = [&] (int t)
        {
            juce::MidiBuffer midi;
            auto& calls = callSeconds[(size_t) t];
            calls.reserve ((size_t) (numPeriods * (scenario.instances / scenario.threads + 1)));
            const auto realtime = makeCurrentThreadRealtime();
            double cpuUsed = 0.0;

            for (int period = 0; period < warmUpPeriods + numPeriods; ++period)
            {
                const auto measuring = period >= warmUpPeriods;

                // The plug-ins' CPU time only: what the barrier costs is the host's, not theirs.
                const auto cpuStart = threadCpuSeconds();

                for (int i = t; i < scenario.instances; i += scenario.threads)
                {
                    auto& buffer = buffers[(size_t) i];
                    buffer.makeCopyOf (inputs[(size_t) i], true);

                    const auto start = Clock::now();
                    instances[i].processBlock (buffer, midi);
                    const auto end = Clock::now();

                    if (measuring)
                        calls.push_back (std::chrono::duration<double> (end - start).count());
                }

                if (measuring)
                    cpuUsed += threadCpuSeconds() - cpuStart;

                barrier.arriveAndWait();
            }

            cpuSeconds[(size_t) t] = cpuUsed;
            realtimeThreads += realtime ? 1 : 0;
        };

        std::vector<std::thread> threads;

        for (int t = 0; t < scenario.threads; ++t)
            threads.emplace_back (audioThread, t);

        for (auto& thread : threads)
            thread.join();

        instances.unload();

        std::vector<double> allCalls;

        for (auto& calls : callSeconds)
            allCalls.insert (allCalls.end(), calls.begin(), calls.end());

        const auto& ends = barrier.periodEnds;
        const auto wallSeconds = std::chrono::duration<double> (ends.back() - ends[(size_t) warmUpPeriods - 1]).count();
        const auto samplesPerInstance = (double) numPeriods * scenario.blockSize;

        double totalCpu = 0.0;

        for (auto c : cpuSeconds)
            totalCpu += c;

        Measurement m;
        m.valid = true;
        m.realtimePriority = realtimeThreads == scenario.threads;
        m.cpuNsPerSamplePerInstance = totalCpu * 1.0e9 / (samplesPerInstance * scenario.instances);
        m.wallShareOfPeriod = wallSeconds / numPeriods / periodSeconds;
        m.callMedianShare = percentile (allCalls, 0.5) / periodSeconds;
        m.callP99Share = percentile (allCalls, 0.99) / periodSeconds;
        m.callMaxShare = percentile (allCalls, 1.0) / periodSeconds;
        return m;
    }

    juce::String argumentValue (const juce::StringArray& args, const juce::String& name)
    {
        for (auto& arg : args)
            if (arg.startsWith (name + "="))
                return arg.fromFirstOccurrenceOf ("=", false, false);

        return {};
    }
}

int main (int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juce;

    juce::StringArray args;

    for (int i = 1; i < argc; ++i)
        args.add (argv[i]);

    const juce::File bundle (juce::File::getCurrentWorkingDirectory().getChildFile (argumentValue (args, "--plugin")));
    const auto repeats = juce::jlimit (1, 100, argumentValue (args, "--repeats").getIntValue() > 0 ? argumentValue (args, "--repeats").getIntValue() : 3);
    const auto seconds = argumentValue (args, "--seconds").isNotEmpty() ? argumentValue (args, "--seconds").getDoubleValue() : 2.0;
    const auto markdownPath = argumentValue (args, "--markdown");

    if (argumentValue (args, "--plugin").isEmpty() || ! bundle.isDirectory())
    {
        std::fprintf (stderr, "hestrel_host_benchmark: give the bundle with --plugin=PATH.vst3 (not found: %s)\n",
                      bundle.getFullPathName().toRawUTF8());
        return 2;
    }

    if (! (seconds > 0.0 && seconds <= 600.0))
    {
        std::fprintf (stderr, "hestrel_host_benchmark: --seconds must be between 0 and 600\n");
        return 2;
    }

    const auto scenarios = makeScenarios();
    std::vector<std::vector<Measurement>> runs;

    for (int r = 0; r < repeats; ++r)
    {
        std::vector<Measurement> run;

        for (auto& scenario : scenarios)
        {
            juce::String error;
            run.push_back (runOnce (bundle, scenario, seconds, error));

            if (! run.back().valid)
            {
                std::fprintf (stderr, "hestrel_host_benchmark: %s\n", error.toRawUTF8());
                return 1;
            }

            std::fprintf (stderr, "run %d/%d: %s\n", r + 1, repeats, describe (scenario, run.back()).toRawUTF8());
        }

        runs.push_back (std::move (run));
    }

    const auto table = summarise (scenarios, runs, seconds);
    std::printf ("%s", table.toRawUTF8());

    if (markdownPath.isNotEmpty() && ! juce::File::getCurrentWorkingDirectory().getChildFile (markdownPath).replaceWithText (table))
    {
        std::fprintf (stderr, "hestrel_host_benchmark: cannot write %s\n", markdownPath.toRawUTF8());
        return 1;
    }

    return 0;
}
