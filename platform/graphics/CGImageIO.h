#pragma once

#include "platform/corefoundation/CFPropertyList.h"
#include "platform/graphics/CGImage.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

// Reading PNG and JPEG bytes into bitmaps, and writing bitmaps as PNG. The
// bytes come from any app, so everything is bounded from the header before a
// pixel is decoded.
constexpr std::size_t kCGImageMaximumDataSize = 16 * 1024 * 1024;
constexpr std::size_t kCGImageMaximumSide = 8192;
// 2^24, the "16.8 million": 4096 x 4096 is the largest square that passes.
constexpr std::size_t kCGImageMaximumPixels = std::size_t(1) << 24;

enum class CGImageDecodeFailure {
    None,
    TooManyBytes,
    UnknownFormat,
    SideTooLong,
    TooManyPixels,
    // Fewer bytes than the header's pixels could possibly be packed into.
    TooFewBytes,
    Malformed,
};

struct CGImageDecodeResult {
    CGImageRef image;
    CGImageDecodeFailure failure = CGImageDecodeFailure::None;
};

// PNG or JPEG, told apart by their first bytes.
CGImageDecodeResult CGImageDecode(std::span<const std::uint8_t> bytes);
inline CGImageRef CGImageCreateWithData(std::span<const std::uint8_t> bytes) {
    return CGImageDecode(bytes).image;
}

// The image as PNG (straight alpha; RGB without alpha for an opaque image).
CFData CGImageCreatePNGData(const CGImageRef& image);
// Writes the PNG to a host path; false when it cannot be written.
bool CGImageWritePNGToFile(const CGImageRef& image, const std::filesystem::path& hostPath);
