#pragma once

#include <cstdint>

// 30 steps a component, so 27000 cells.
constexpr int kCCColorCubeResolution = 30;
constexpr int kCCColorCubeCellCount =
    kCCColorCubeResolution * kCCColorCubeResolution * kCCColorCubeResolution;

// One cell of the colour cube: how many pixels fell into it and the sums of
// their components, each on the 0-to-1 scale.
struct CCCubeCell {
    uint32_t hitCount = 0;
    double redAcc = 0;
    double greenAcc = 0;
    double blueAcc = 0;
};
