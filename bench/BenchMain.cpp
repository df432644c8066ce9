#include "bench/BenchComparison.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <vector>

namespace {

struct Comparison {
    std::string ours;
    std::string reference;
    double goalRatio;
    std::string goal;
};

std::vector<Comparison>& comparisons() {
    static std::vector<Comparison> list;
    return list;
}

enum class Bound { MinimumRate, MaximumTime, MaximumCounter, MinimumCounter };

struct Requirement {
    std::string name;
    Bound bound;
    double limit;
    std::string goal;
    std::string counter;
};

std::vector<Requirement>& requirements() {
    static std::vector<Requirement> list;
    return list;
}

struct Measured {
    // CPU seconds an iteration.
    double seconds = 0;
    // Items a CPU second, 0 when the benchmark counts none.
    double itemsPerSecond = 0;
    std::map<std::string, double> counters;
};

// Keeps every run's time per iteration by name while printing as usual. CPU
// time, not wall time: everything measured runs on one thread, and a busy
// machine then slows both sides of a comparison alike.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                Measured& measured = m_times[run.benchmark_name()];
                measured.seconds = run.cpu_accumulated_time / static_cast<double>(run.iterations);
                for (const auto& [counter, value] : run.counters)
                    measured.counters[counter] = value;
                measured.itemsPerSecond = measured.counters["items_per_second"];
            }
        ConsoleReporter::ReportRuns(runs);
    }

    void printComparisons() const {
        bool header = false;
        for (const Comparison& c : comparisons()) {
            for (const auto& [name, time] : m_times) {
                if (name.rfind(c.ours + "/", 0) != 0 && name != c.ours)
                    continue;
                const std::string arguments = name.substr(c.ours.size());
                const auto reference = m_times.find(c.reference + arguments);
                if (reference == m_times.end())
                    continue;
                if (!header) {
                    std::printf("\n%-58s %10s %8s  %s\n", "comparison (same run)", "ratio", "goal",
                                "");
                    header = true;
                }
                const double ratio = reference->second.seconds / time.seconds;
                std::printf("%-58s %9.2fx %7.2fx  %s\n",
                            (c.ours + arguments + " vs " + c.reference).c_str(), ratio, c.goalRatio,
                            ratio >= c.goalRatio ? "met" : "MISSED");
                std::printf("%-58s %s\n", "", c.goal.c_str());
            }
        }
    }

    void printRequirements() const {
        bool header = false;
        for (const Requirement& r : requirements()) {
            for (const auto& [name, measured] : m_times) {
                if (name.rfind(r.name + "/", 0) != 0 && name != r.name)
                    continue;
                if (!header) {
                    std::printf("\n%-58s %12s %12s\n", "requirement", "measured", "limit");
                    header = true;
                }
                if (r.bound == Bound::MaximumCounter || r.bound == Bound::MinimumCounter) {
                    const auto counter = measured.counters.find(r.counter);
                    if (counter == measured.counters.end())
                        continue;
                    const bool met = r.bound == Bound::MaximumCounter ? counter->second <= r.limit
                                                                      : counter->second >= r.limit;
                    std::printf("%-58s %12.3g %12.3g  %s\n", (name + " " + r.counter).c_str(),
                                counter->second, r.limit, met ? "met" : "MISSED");
                } else if (r.bound == Bound::MinimumRate) {
                    const double rate = measured.itemsPerSecond / 1e6;
                    std::printf("%-58s %8.0f M/s %8.0f M/s  %s\n", name.c_str(), rate,
                                r.limit / 1e6,
                                measured.itemsPerSecond >= r.limit ? "met" : "MISSED");
                } else {
                    std::printf("%-58s %9.3f ms %9.3f ms  %s\n", name.c_str(),
                                measured.seconds * 1e3, r.limit * 1e3,
                                measured.seconds <= r.limit ? "met" : "MISSED");
                }
                std::printf("%-58s %s\n", "", r.goal.c_str());
            }
        }
    }

private:
    std::map<std::string, Measured> m_times;
};

} // namespace

void compareWithReference(const std::string& ours, const std::string& reference, double goalRatio,
                          const std::string& goal) {
    comparisons().push_back({ours, reference, goalRatio, goal});
}

void requireRate(const std::string& name, double minimumItemsPerSecond, const std::string& goal) {
    requirements().push_back({name, Bound::MinimumRate, minimumItemsPerSecond, goal, {}});
}

void requireTime(const std::string& name, double maximumSeconds, const std::string& goal) {
    requirements().push_back({name, Bound::MaximumTime, maximumSeconds, goal, {}});
}

void requireCounterAtMost(const std::string& name, const std::string& counter, double maximum,
                          const std::string& goal) {
    requirements().push_back({name, Bound::MaximumCounter, maximum, goal, counter});
}

void requireCounterAtLeast(const std::string& name, const std::string& counter, double minimum,
                           const std::string& goal) {
    requirements().push_back({name, Bound::MinimumCounter, minimum, goal, counter});
}

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printComparisons();
    reporter.printRequirements();
    benchmark::Shutdown();
    return 0;
}
