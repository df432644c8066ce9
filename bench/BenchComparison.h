#pragma once

#include <string>

// Goals checked at the end of the run, from the times the run measured. Names
// are a benchmark's base name; runs are matched by their arguments.

// The ratio reference time / our time for each pair that ran, against its goal.
void compareWithReference(const std::string& ours, const std::string& reference, double goalRatio,
                          const std::string& goal);
// Items (SetItemsProcessed) a second of CPU time, at least this many.
void requireRate(const std::string& name, double minimumItemsPerSecond, const std::string& goal);
// CPU time an iteration, at most this many seconds.
void requireTime(const std::string& name, double maximumSeconds, const std::string& goal);
// A counter the benchmark sets, at most this value, where it was measured.
void requireCounterAtMost(const std::string& name, const std::string& counter, double maximum,
                          const std::string& goal);
// A counter the benchmark sets, at least this value, where it was measured.
void requireCounterAtLeast(const std::string& name, const std::string& counter, double minimum,
                           const std::string& goal);
