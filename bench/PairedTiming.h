#pragma once

#include <algorithm>
#include <benchmark/benchmark.h>
#include <ctime>
#include <vector>

// Times two ways of doing the same work in alternation, each on the calling
// thread's CPU clock, so that whatever else the machine is doing falls on
// both alike; the median of the per-iteration ratios is the figure to trust.
class PairedTiming {
public:
    template <class Work>
    static double cpuSeconds(Work&& work) {
        const double start = now();
        work();
        return now() - start;
    }

    void add(double ours, double reference) {
        m_ours.push_back(ours);
        m_reference.push_back(reference);
        m_ratios.push_back(reference / ours);
    }

    // ratio: reference time / our time, median over the iterations; ours_ms
    // and reference_ms: the medians of each.
    void report(benchmark::State& state) {
        if (m_ratios.empty())
            return;
        state.counters["ratio"] = median(m_ratios);
        state.counters["ours_ms"] = median(m_ours) * 1e3;
        state.counters["reference_ms"] = median(m_reference) * 1e3;
    }

private:
    static double now() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
    }

    static double median(std::vector<double> values) {
        std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
        return values[values.size() / 2];
    }

    std::vector<double> m_ours;
    std::vector<double> m_reference;
    std::vector<double> m_ratios;
};
