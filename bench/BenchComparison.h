#pragma once

#include <benchmark/benchmark.h>
#include <string>

// Goals checked at the end of the run, from the counters the run measured.
// Names are a benchmark's base name; every run whose name starts with it (and
// a slash) is checked, each level and each set of arguments on its own row.

// A counter the benchmark sets, at most this value, where it was measured.
void requireCounterAtMost(const std::string& name, const std::string& counter, double maximum,
                          const std::string& goal);
// A counter the benchmark sets, at least this value, where it was measured.
void requireCounterAtLeast(const std::string& name, const std::string& counter, double minimum,
                           const std::string& goal);
// A counter printed with the goals, where no goal applies.
void reportCounter(const std::string& name, const std::string& counter, const std::string& what);

// Registers the benchmark once for each instruction level the machine has,
// named name/level, each run with the kernels of its level.
benchmark::internal::Benchmark* registerAtEachLevel(const std::string& name,
                                                    void (*function)(benchmark::State&),
                                                    void (*apply)(benchmark::internal::Benchmark*));

// The goal for the levels that have one (x86-64-v3 and x86-64-v4): at least
// this ratio; the baseline's ratio is reported with no goal.
void requireRatioAtWiderLevels(const std::string& name, double minimum, const std::string& goal);
