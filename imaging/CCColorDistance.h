#pragma once

#include "imaging/CCLocalMaximum.h"

#include <cmath>

// How far apart two colours are: the Euclidean distance of their red, green
// and blue on the 0-to-1 scale, so between 0 and the square root of 3.
inline double colorDistance(double r1, double g1, double b1, double r2, double g2, double b2) {
    const double dr = r1 - r2;
    const double dg = g1 - g2;
    const double db = b1 - b2;
    return std::sqrt(dr * dr + dg * dg + db * db);
}

inline double colorDistance(const CCLocalMaximum& a, const CCLocalMaximum& b) {
    return colorDistance(a.red(), a.green(), a.blue(), b.red(), b.green(), b.blue());
}
