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

// Keeps every run's time per iteration by name while printing as usual. CPU
// time, not wall time: everything measured runs on one thread, and a busy
// machine then slows both sides of a comparison alike.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                m_times[run.benchmark_name()] = run.GetAdjustedCPUTime();
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
                const double ratio = reference->second / time;
                std::printf("%-58s %9.2fx %7.2fx  %s\n",
                            (c.ours + arguments + " vs " + c.reference).c_str(), ratio, c.goalRatio,
                            ratio >= c.goalRatio ? "met" : "MISSED");
                std::printf("%-58s %s\n", "", c.goal.c_str());
            }
        }
    }

private:
    std::map<std::string, double> m_times;
};

} // namespace

void compareWithReference(const std::string& ours, const std::string& reference, double goalRatio,
                          const std::string& goal) {
    comparisons().push_back({ours, reference, goalRatio, goal});
}

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printComparisons();
    benchmark::Shutdown();
    return 0;
}
