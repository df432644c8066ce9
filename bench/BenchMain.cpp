#include "bench/BenchComparison.h"
#include "platform/accelerate/InstructionLevel.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <vector>

namespace {

enum class Bound { MaximumCounter, MinimumCounter, NoGoal };

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

// Keeps every run's counters by name while printing as usual.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                for (const auto& [counter, value] : run.counters)
                    m_counters[run.benchmark_name()][counter] = value;
        ConsoleReporter::ReportRuns(runs);
    }

    void printRequirements() const {
        bool header = false;
        for (const Requirement& r : requirements()) {
            for (const auto& [name, counters] : m_counters) {
                if (name.rfind(r.name + "/", 0) != 0 && name != r.name)
                    continue;
                const auto counter = counters.find(r.counter);
                if (counter == counters.end())
                    continue;
                if (!header) {
                    std::printf("\n%-64s %10s %10s\n", "requirement", "measured", "limit");
                    header = true;
                }
                const std::string row = name + " " + r.counter;
                if (r.bound == Bound::NoGoal) {
                    std::printf("%-64s %10.3g %10s  no goal\n", row.c_str(), counter->second, "");
                } else {
                    const bool met = r.bound == Bound::MaximumCounter ? counter->second <= r.limit
                                                                      : counter->second >= r.limit;
                    std::printf("%-64s %10.3g %10.3g  %s\n", row.c_str(), counter->second, r.limit,
                                met ? "met" : "MISSED");
                }
                std::printf("%-64s %s\n", "", r.goal.c_str());
            }
        }
    }

private:
    std::map<std::string, std::map<std::string, double>> m_counters;
};

} // namespace

void requireCounterAtMost(const std::string& name, const std::string& counter, double maximum,
                          const std::string& goal) {
    requirements().push_back({name, Bound::MaximumCounter, maximum, goal, counter});
}

void requireCounterAtLeast(const std::string& name, const std::string& counter, double minimum,
                           const std::string& goal) {
    requirements().push_back({name, Bound::MinimumCounter, minimum, goal, counter});
}

void reportCounter(const std::string& name, const std::string& counter, const std::string& what) {
    requirements().push_back({name, Bound::NoGoal, 0, what, counter});
}

benchmark::internal::Benchmark*
registerAtEachLevel(const std::string& name, void (*function)(benchmark::State&),
                    void (*apply)(benchmark::internal::Benchmark*)) {
    benchmark::internal::Benchmark* last = nullptr;
    for (InstructionLevel level : kAllInstructionLevels) {
        if (level > supportedInstructionLevel())
            continue;
        const std::string full = name + "/" + std::string(instructionLevelName(level));
        last =
            benchmark::RegisterBenchmark(full.c_str(), [function, level](benchmark::State& state) {
                setActiveInstructionLevel(level);
                function(state);
                setActiveInstructionLevel(supportedInstructionLevel());
            });
        if (apply)
            apply(last);
    }
    return last;
}

void requireRatioAtWiderLevels(const std::string& name, double minimum, const std::string& goal) {
    for (InstructionLevel level : kAllInstructionLevels) {
        const std::string full = name + "/" + std::string(instructionLevelName(level));
        if (level == InstructionLevel::Baseline)
            reportCounter(full, "ratio", goal + " (at x86-64-v3 and up)");
        else
            requireCounterAtLeast(full, "ratio", minimum, goal);
    }
}

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRequirements();
    benchmark::Shutdown();
    return 0;
}
