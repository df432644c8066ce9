#pragma once

#include <cstdint>
#include <vector>

// Smooth colour ramps with noise: as far as the blur and the palette care,
// like a photograph. Four bytes a pixel, opaque.
std::vector<uint8_t> photoLikePixels(long width, long height);
