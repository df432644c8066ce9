#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// How a bitmap's alpha is stored, with the platform's values.
enum CGImageAlphaInfo : std::uint32_t {
    kCGImageAlphaNone = 0,
    kCGImageAlphaPremultipliedLast = 1,
    kCGImageAlphaPremultipliedFirst = 2,
    kCGImageAlphaLast = 3,
    kCGImageAlphaFirst = 4,
    kCGImageAlphaNoneSkipLast = 5,
    kCGImageAlphaNoneSkipFirst = 6,
    kCGImageAlphaOnly = 7,
};

// Bitmap info: the alpha info in the low bits, the byte order above it.
constexpr std::uint32_t kCGBitmapAlphaInfoMask = 0x1F;
constexpr std::uint32_t kCGBitmapByteOrderMask = 0x7000;
constexpr std::uint32_t kCGBitmapByteOrderDefault = 0;
constexpr std::uint32_t kCGBitmapByteOrder32Little = 2 << 12;
constexpr std::uint32_t kCGBitmapByteOrder32Big = 4 << 12;

class CGImage;
using CGImageRef = std::shared_ptr<const CGImage>;

// An immutable bitmap: 32-bit pixels of premultiplied alpha, red, green and
// blue in one native-endian word, which on a little-endian machine are the
// bytes blue, green, red, alpha in memory (the image-context byte order the
// pixel operations rely on). Shared freely between threads: nothing changes it.
class CGImage {
public:
    // Takes the pixels as they are; answers nothing when the sizes do not
    // describe them. An opaque image has every alpha byte at 255.
    static CGImageRef create(std::size_t width, std::size_t height, std::size_t bytesPerRow,
                             std::vector<std::uint8_t> pixels, CGImageAlphaInfo alphaInfo);

    std::size_t width() const { return m_width; }
    std::size_t height() const { return m_height; }
    std::size_t bytesPerRow() const { return m_bytesPerRow; }
    // kCGImageAlphaPremultipliedFirst, or kCGImageAlphaNoneSkipFirst when opaque.
    CGImageAlphaInfo alphaInfo() const { return m_alphaInfo; }
    bool isOpaque() const { return m_alphaInfo == kCGImageAlphaNoneSkipFirst; }
    std::span<const std::uint8_t> bytes() const { return m_pixels; }

    // The pixel as its 32-bit word 0xAARRGGBB (premultiplied).
    std::uint32_t pixelAt(std::size_t x, std::size_t y) const;

    // FNV-1a 64 of the size and the pixel rows, in hexadecimal, for dumps:
    // equal pictures give equal hashes whatever the row padding.
    std::string contentHash() const;

protected:
    CGImage(std::size_t width, std::size_t height, std::size_t bytesPerRow,
            std::vector<std::uint8_t> pixels, CGImageAlphaInfo alphaInfo)
        : m_width(width), m_height(height), m_bytesPerRow(bytesPerRow), m_pixels(std::move(pixels)),
          m_alphaInfo(alphaInfo) {}

private:
    std::size_t m_width;
    std::size_t m_height;
    std::size_t m_bytesPerRow;
    std::vector<std::uint8_t> m_pixels;
    CGImageAlphaInfo m_alphaInfo;
};

std::size_t CGImageGetWidth(const CGImageRef& image);
std::size_t CGImageGetHeight(const CGImageRef& image);
std::size_t CGImageGetBytesPerRow(const CGImageRef& image);
std::size_t CGImageGetBitsPerComponent(const CGImageRef& image);
std::size_t CGImageGetBitsPerPixel(const CGImageRef& image);
CGImageAlphaInfo CGImageGetAlphaInfo(const CGImageRef& image);
// The pixel bytes (what CGDataProviderCopyData of the image's provider gives).
std::span<const std::uint8_t> CGImageGetBytes(const CGImageRef& image);
