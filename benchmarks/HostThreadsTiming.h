#pragma once

#include <juce_core/juce_core.h>

#include <chrono>
#include <vector>

using Clock = std::chrono::steady_clock;

/** One configuration of the host: how many instances, on how many audio threads, at which block size. */
struct Scenario
{
    int instances = 0, threads = 0, blockSize = 0;
};

/** What one run of a scenario measured; shares are of the period's duration (block ÷ rate). */
struct Measurement
{
    bool valid = false;
    bool realtimePriority = false;  // every audio thread ran at real-time priority
    double cpuNsPerSamplePerInstance = 0.0;
    double wallShareOfPeriod = 0.0;
    double callMedianShare = 0.0, callP99Share = 0.0, callMaxShare = 0.0;
};

/** 2, 8 and 16 instances on 1, 2 and 4 threads, at 512- and 64-sample blocks. */
std::vector<Scenario> makeScenarios();

/** The value below which the given fraction of the values lie (1.0 gives the maximum). */
double percentile (std::vector<double> values, double fraction);

/** One line for the progress log. */
juce::String describe (const Scenario&, const Measurement&);

/** The results table in Markdown: each figure's median over the runs with its range, and
    the multi-thread figures as ratios to the single-thread figure of the same run.
*/
juce::String summarise (const std::vector<Scenario>&, const std::vector<std::vector<Measurement>>& runs, double secondsPerRun);

/** True when every run of every scenario had its audio threads at real-time priority. */
bool allRealtime (const std::vector<std::vector<Measurement>>& runs);
