#include "platform/graphics/CGImage.h"

#include "platform/objc/NSObject.h"

#include <cstdio>
#include <cstring>
#include <limits>

CGImageRef CGImage::create(std::size_t width, std::size_t height, std::size_t bytesPerRow,
                           std::vector<std::uint8_t> pixels, CGImageAlphaInfo alphaInfo) {
    if (width == 0 || height == 0 || bytesPerRow % 4 != 0)
        return nullptr;
    if (alphaInfo != kCGImageAlphaPremultipliedFirst && alphaInfo != kCGImageAlphaNoneSkipFirst)
        return nullptr;
    constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max();
    if (width > kMax / 4 || bytesPerRow < width * 4 || height > kMax / bytesPerRow)
        return nullptr;
    if (pixels.size() < bytesPerRow * height)
        return nullptr;
    return makeObject<CGImage>(width, height, bytesPerRow, std::move(pixels), alphaInfo);
}

std::uint32_t CGImage::pixelAt(std::size_t x, std::size_t y) const {
    if (x >= m_width || y >= m_height)
        return 0;
    std::uint32_t word;
    std::memcpy(&word, m_pixels.data() + y * m_bytesPerRow + x * 4, sizeof word);
    return word;
}

std::string CGImage::contentHash() const {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    auto mix = [&hash](const std::uint8_t* data, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            hash ^= data[i];
            hash *= 0x100000001b3ULL;
        }
    };
    // The size goes in first, so that 1 x 4 and 4 x 1 of the same bytes differ.
    for (std::uint64_t side : {std::uint64_t(m_width), std::uint64_t(m_height)}) {
        std::uint8_t bytes[8];
        for (int i = 0; i < 8; ++i)
            bytes[i] = static_cast<std::uint8_t>(side >> (8 * i));
        mix(bytes, sizeof bytes);
    }
    for (std::size_t y = 0; y < m_height; ++y)
        mix(m_pixels.data() + y * m_bytesPerRow, m_width * 4);
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::size_t CGImageGetWidth(const CGImageRef& image) {
    return image ? image->width() : 0;
}

std::size_t CGImageGetHeight(const CGImageRef& image) {
    return image ? image->height() : 0;
}

std::size_t CGImageGetBytesPerRow(const CGImageRef& image) {
    return image ? image->bytesPerRow() : 0;
}

std::size_t CGImageGetBitsPerComponent(const CGImageRef& image) {
    return image ? 8 : 0;
}

std::size_t CGImageGetBitsPerPixel(const CGImageRef& image) {
    return image ? 32 : 0;
}

CGImageAlphaInfo CGImageGetAlphaInfo(const CGImageRef& image) {
    return image ? image->alphaInfo() : kCGImageAlphaNone;
}

std::span<const std::uint8_t> CGImageGetBytes(const CGImageRef& image) {
    return image ? image->bytes() : std::span<const std::uint8_t>();
}
