#include "imaging/CCDistinctGrid.h"

#include "imaging/CCColorDistance.h"

#include <algorithm>
#include <cstdint>

namespace {

// Below this threshold the buckets would be too many to be worth it.
constexpr double kGridThreshold = 0.05;

} // namespace

bool CCDistinctGrid::suits(const CCLocalMaximumList& maxima, double threshold) {
    if (!(threshold >= kGridThreshold))
        return false;
    for (const auto& m : maxima)
        for (double c : {m->red(), m->green(), m->blue()})
            if (!(c >= 0 && c <= 1))
                return false;
    return true;
}

CCLocalMaximumList CCDistinctGrid::filter(const CCLocalMaximumList& maxima, double threshold) {
    // Buckets a hair wider than the threshold: two maxima closer than it lie
    // in the same or neighbouring buckets on every axis, rounding included.
    const double side = threshold * (1 + 1e-6);
    const int perAxis = static_cast<int>(1.0 / side) + 2;
    auto bucketOf = [&](double c) { return std::min(perAxis - 1, static_cast<int>(c / side)); };
    // Each bucket is a list through `next` of the maxima seen so far in it,
    // kept or dropped alike.
    std::vector<int32_t> heads(static_cast<size_t>(perAxis) * perAxis * perAxis, -1);
    std::vector<int32_t> next(maxima.size(), -1);
    CCLocalMaximumList filtered;
    for (size_t i = 0; i < maxima.size(); ++i) {
        const CCLocalMaximum& m = *maxima[i];
        const int br = bucketOf(m.red());
        const int bg = bucketOf(m.green());
        const int bb = bucketOf(m.blue());
        bool isDistinct = true;
        for (int r = std::max(0, br - 1); isDistinct && r <= std::min(perAxis - 1, br + 1); ++r)
            for (int g = std::max(0, bg - 1); isDistinct && g <= std::min(perAxis - 1, bg + 1); ++g)
                for (int b = std::max(0, bb - 1); isDistinct && b <= std::min(perAxis - 1, bb + 1);
                     ++b)
                    for (int32_t j = heads[(r * perAxis + g) * perAxis + b]; j >= 0; j = next[j])
                        if (colorDistance(m, *maxima[j]) < threshold) {
                            isDistinct = false;
                            break;
                        }
        int32_t& head = heads[(br * perAxis + bg) * perAxis + bb];
        next[i] = head;
        head = static_cast<int32_t>(i);
        if (isDistinct)
            filtered.push_back(maxima[i]);
    }
    return filtered;
}
