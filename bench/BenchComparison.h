#pragma once

#include <string>

// Pairs of benchmarks whose times are compared at the end of the run: the
// ratio reference time / our time for each pair that ran, against its goal.
// Names are the benchmark's base name; runs are matched by their arguments.
void compareWithReference(const std::string& ours, const std::string& reference, double goalRatio,
                          const std::string& goal);
