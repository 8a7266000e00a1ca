#include "HostThreadsTiming.h"

#include <algorithm>
#include <cmath>
#include <functional>

std::vector<Scenario> makeScenarios()
{
    std::vector<Scenario> scenarios;

    for (auto blockSize : { 512, 64 })
        for (auto instances : { 2, 8, 16 })
            for (auto threads : { 1, 2, 4 })
                scenarios.push_back ({ instances, threads, blockSize });

    return scenarios;
}

double percentile (std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0.0;

    std::sort (values.begin(), values.end());
    const auto index = (size_t) std::ceil (fraction * (double) values.size()) - (fraction > 0.0 ? 1 : 0);
    return values[std::min (index, values.size() - 1)];
}

juce::String describe (const Scenario& s, const Measurement& m)
{
    return juce::String (s.instances) + " instances, " + juce::String (s.threads) + " threads, "
         + juce::String (s.blockSize) + " samples: " + juce::String (m.cpuNsPerSamplePerInstance, 1) + " ns/sample/instance, wall "
         + juce::String (m.wallShareOfPeriod * 100.0, 2) + " % of the period, processBlock max "
         + juce::String (m.callMaxShare * 100.0, 2) + " %";
}

namespace
{
    /** "median [min–max]" of one figure over the runs. */
    juce::String spread (const std::vector<double>& values, int decimals)
    {
        const auto [lowest, highest] = std::minmax_element (values.begin(), values.end());
        return juce::String (percentile (values, 0.5), decimals) + " [" + juce::String (*lowest, decimals)
             + "–" + juce::String (*highest, decimals) + "]";
    }

    size_t singleThreadIndex (const std::vector<Scenario>& scenarios, const Scenario& s)
    {
        for (size_t i = 0; i < scenarios.size(); ++i)
            if (scenarios[i].instances == s.instances && scenarios[i].blockSize == s.blockSize && scenarios[i].threads == 1)
                return i;

        return 0;
    }
}

juce::String summarise (const std::vector<Scenario>& scenarios, const std::vector<std::vector<Measurement>>& runs,
                        double secondsPerRun)
{
    juce::String table;
    table << "| block | instances | threads | CPU ns per sample per instance | CPU × 1 thread | wall per period, % of period"
             " | wall × 1 thread | processBlock median, % | processBlock p99, % | processBlock max, % |\n"
          << "|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n";

    for (size_t i = 0; i < scenarios.size(); ++i)
    {
        const auto& s = scenarios[i];
        const auto single = singleThreadIndex (scenarios, s);

        auto collect = [&] (const std::function<double (const Measurement&, const Measurement&)>& figure)
        {
            std::vector<double> values;

            for (auto& run : runs)
                values.push_back (figure (run[i], run[single]));

            return values;
        };

        table << "| " << s.blockSize << " | " << s.instances << " | " << s.threads << " | "
              << spread (collect ([] (auto& m, auto&) { return m.cpuNsPerSamplePerInstance; }), 1) << " | "
              << spread (collect ([] (auto& m, auto& one) { return m.cpuNsPerSamplePerInstance / one.cpuNsPerSamplePerInstance; }), 2) << " | "
              << spread (collect ([] (auto& m, auto&) { return m.wallShareOfPeriod * 100.0; }), 2) << " | "
              << spread (collect ([] (auto& m, auto& one) { return m.wallShareOfPeriod / one.wallShareOfPeriod; }), 2) << " | "
              << spread (collect ([] (auto& m, auto&) { return m.callMedianShare * 100.0; }), 2) << " | "
              << spread (collect ([] (auto& m, auto&) { return m.callP99Share * 100.0; }), 2) << " | "
              << spread (collect ([] (auto& m, auto&) { return m.callMaxShare * 100.0; }), 2) << " |\n";
    }

    table << "\nEach cell: the median of " << (int) runs.size() << " runs of the whole matrix in one process, "
          << "with the lowest and highest in brackets; each run plays " << juce::String (secondsPerRun, 1)
          << " s of audio per scenario (flat out, not paced), after a tenth as much to warm up. "
          << "Ratios compare a scenario with the 1-thread scenario of the same run. "
          << "CPU time is the audio threads' own (thread CPU clock) while they process, not while they wait "
          << "at the barrier; wall time runs from the end of one period to the end of the next. "
          << (allRealtime (runs) ? "Audio threads at real-time priority (SCHED_FIFO 70), as a DAW runs them.\n"
                                 : "Audio threads at normal priority (real-time priority was refused).\n");
    return table;
}

bool allRealtime (const std::vector<std::vector<Measurement>>& runs)
{
    for (auto& run : runs)
        for (auto& m : run)
            if (! m.realtimePriority)
                return false;

    return true;
}
