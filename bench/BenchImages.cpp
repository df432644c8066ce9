#include "bench/BenchImages.h"

#include <random>

std::vector<uint8_t> photoLikePixels(long width, long height) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    std::mt19937 random(42);
    for (long y = 0; y < height; ++y) {
        for (long x = 0; x < width; ++x) {
            uint8_t* p = &pixels[(y * width + x) * 4];
            const int noise = static_cast<int>(random() % 32);
            p[0] = static_cast<uint8_t>((x * 255 / width + noise) & 255);
            p[1] = static_cast<uint8_t>((y * 255 / height + noise) & 255);
            p[2] = static_cast<uint8_t>(((x + y) * 127 / (width + height) + noise) & 255);
            p[3] = 255;
        }
    }
    return pixels;
}
