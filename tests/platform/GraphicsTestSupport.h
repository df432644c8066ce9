#pragma once

#include "platform/graphics/CGBitmapContext.h"
#include "platform/graphics/CGImage.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <vector>

// A pixel as premultiplied 8-bit components, read back from a bitmap.
struct Pixel {
    int r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Pixel&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Pixel& p) {
    return out << "(" << p.r << ", " << p.g << ", " << p.b << ", " << p.a << ")";
}

inline Pixel pixelFromWord(std::uint32_t word) {
    return {int(word >> 16 & 0xFF), int(word >> 8 & 0xFF), int(word & 0xFF), int(word >> 24)};
}

inline std::uint32_t wordFromPixel(Pixel p) {
    return std::uint32_t(p.a) << 24 | std::uint32_t(p.r) << 16 | std::uint32_t(p.g) << 8 |
           std::uint32_t(p.b);
}

// Reads the pixel at column x, row y counted from the top of the memory.
inline Pixel pixelAt(const CGContextRef& context, std::size_t x, std::size_t y) {
    const auto* data = static_cast<const std::uint8_t*>(CGBitmapContextGetData(context));
    std::uint32_t word;
    std::memcpy(&word, data + y * CGBitmapContextGetBytesPerRow(context) + 4 * x, 4);
    return pixelFromWord(word);
}

inline Pixel pixelAt(const CGImageRef& image, std::size_t x, std::size_t y) {
    return pixelFromWord(image->pixelAt(x, y));
}

inline bool near(Pixel a, Pixel b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance && std::abs(a.a - b.a) <= tolerance;
}

constexpr Pixel kClear{0, 0, 0, 0};
constexpr Pixel kRed{255, 0, 0, 255};
constexpr Pixel kGreen{0, 255, 0, 255};
constexpr Pixel kBlue{0, 0, 255, 255};
constexpr Pixel kWhite{255, 255, 255, 255};
constexpr Pixel kBlack{0, 0, 0, 255};

// An image whose pixels are given row by row from the top.
inline CGImageRef imageFromPixels(std::size_t width, std::size_t height,
                                  const std::vector<Pixel>& pixels, bool opaque = false) {
    std::vector<std::uint8_t> bytes(width * height * 4);
    for (std::size_t i = 0; i < pixels.size() && i < width * height; ++i) {
        std::uint32_t word = wordFromPixel(pixels[i]);
        std::memcpy(&bytes[4 * i], &word, 4);
    }
    return CGImage::create(width, height, width * 4, std::move(bytes),
                           opaque ? kCGImageAlphaNoneSkipFirst : kCGImageAlphaPremultipliedFirst);
}

inline CGImageRef solidImage(std::size_t width, std::size_t height, Pixel pixel,
                             bool opaque = false) {
    return imageFromPixels(width, height, std::vector<Pixel>(width * height, pixel), opaque);
}

inline int countPixels(const CGContextRef& context, bool (*test)(Pixel)) {
    int count = 0;
    for (std::size_t y = 0; y < CGBitmapContextGetHeight(context); ++y)
        for (std::size_t x = 0; x < CGBitmapContextGetWidth(context); ++x)
            count += test(pixelAt(context, x, y)) ? 1 : 0;
    return count;
}
