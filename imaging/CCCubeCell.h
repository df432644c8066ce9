#pragma once

#include <cstdint>

// One cell of the colour cube: how many pixels fell into it and the sums of
// their components, each on the 0-to-1 scale.
struct CCCubeCell {
    uint32_t hitCount = 0;
    double redAcc = 0;
    double greenAcc = 0;
    double blueAcc = 0;
};
