#pragma once

#include "imaging/CCLocalMaximum.h"

// The distinct filter for long lists: it finds the earlier maxima close to
// each one through a grid of buckets one threshold wide instead of comparing
// it with every earlier maximum. The answer is the same, and a list of
// thousands of maxima no longer takes seconds.
class CCDistinctGrid {
public:
    // Whether the grid can stand in for the plain comparison: a threshold
    // not too small for the buckets, and every component within 0 to 1.
    static bool suits(const CCLocalMaximumList& maxima, double threshold);
    // Keeps, in order, each maximum that is at least the threshold away from
    // every earlier one of the input, kept or not.
    static CCLocalMaximumList filter(const CCLocalMaximumList& maxima, double threshold);
};
