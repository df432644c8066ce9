#pragma once

#include "platform/graphics/CGImage.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// Encodes a bitmap as PNG with libpng: straight alpha, or RGB without alpha
// for an opaque image, eight bits a component.
class PNGEncoder {
public:
    enum class Compression {
        // zlib's default level with libpng's choice of row filters: the
        // smallest bytes, for data that is kept or sent.
        Compact,
        // The lowest level and no filter to choose: for pictures that are
        // written to be looked at, such as snapshots, where time counts most.
        Fast,
    };

    // Nothing when libpng fails.
    static std::optional<std::vector<std::uint8_t>> encode(const CGImage& image,
                                                           Compression compression);
    // The same for pixels that are not an image yet, laid out as an image's
    // (native 0xAARRGGBB words, premultiplied; opaque: alpha ignored).
    static std::optional<std::vector<std::uint8_t>> encode(std::span<const std::uint8_t> pixels,
                                                           std::size_t width, std::size_t height,
                                                           std::size_t bytesPerRow, bool opaque,
                                                           Compression compression);
};
