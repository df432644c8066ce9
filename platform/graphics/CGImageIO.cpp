#include "platform/graphics/CGImageIO.h"

#include "platform/graphics/PNGEncoder.h"

#include <bit>
#include <cstring>
#include <fstream>
#include <memory>
#include <png.h>
#include <turbojpeg.h>

namespace {

constexpr bool kLittleEndian = std::endian::native == std::endian::little;

// Deflate packs at most 1032 bytes into one: two one-bit codes for a 258-byte
// match. A PNG shorter than its rows over that cannot hold them; the margin
// keeps the check clear of that theoretical edge.
constexpr std::size_t kDeflateMaximumRatio = 1100;

std::uint32_t readBigEndian32(const std::uint8_t* bytes) {
    return std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 |
           std::uint32_t(bytes[2]) << 8 | bytes[3];
}

bool isPNG(std::span<const std::uint8_t> bytes) {
    static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return bytes.size() >= 8 && std::memcmp(bytes.data(), kSignature, 8) == 0;
}

bool isJPEG(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

CGImageDecodeFailure checkSize(std::uint64_t width, std::uint64_t height) {
    if (width == 0 || height == 0)
        return CGImageDecodeFailure::Malformed;
    if (width > kCGImageMaximumSide || height > kCGImageMaximumSide)
        return CGImageDecodeFailure::SideTooLong;
    if (width * height > kCGImageMaximumPixels)
        return CGImageDecodeFailure::TooManyPixels;
    return CGImageDecodeFailure::None;
}

std::uint8_t premultiply(std::uint32_t component, std::uint32_t alpha) {
    std::uint32_t product = component * alpha + 128;
    return static_cast<std::uint8_t>((product + (product >> 8)) >> 8);
}

CGImageDecodeResult decodePNG(std::span<const std::uint8_t> bytes) {
    // Signature, IHDR length and type, then width, height, depth, colour type.
    if (bytes.size() < 33 || std::memcmp(bytes.data() + 12, "IHDR", 4) != 0)
        return {nullptr, CGImageDecodeFailure::Malformed};
    std::uint64_t width = readBigEndian32(bytes.data() + 16);
    std::uint64_t height = readBigEndian32(bytes.data() + 20);
    if (auto failure = checkSize(width, height); failure != CGImageDecodeFailure::None)
        return {nullptr, failure};
    std::uint64_t depth = bytes[24];
    std::uint64_t channels = 1;
    switch (bytes[25]) {
    case 2:
        channels = 3;
        break;
    case 4:
        channels = 2;
        break;
    case 6:
        channels = 4;
        break;
    default:
        break;
    }
    std::uint64_t rawSize = height * (1 + (width * channels * depth + 7) / 8);
    if (bytes.size() * kDeflateMaximumRatio < rawSize)
        return {nullptr, CGImageDecodeFailure::TooFewBytes};

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return {nullptr, CGImageDecodeFailure::Malformed};
    // libpng read the same header; never trust one reading over the other.
    if (image.width != width || image.height != height) {
        png_image_free(&image);
        return {nullptr, CGImageDecodeFailure::Malformed};
    }
    bool hasAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = kLittleEndian ? PNG_FORMAT_BGRA : PNG_FORMAT_ARGB;
    std::size_t stride = std::size_t(width) * 4;
    std::vector<std::uint8_t> pixels(stride * height);
    if (!png_image_finish_read(&image, nullptr, pixels.data(), static_cast<png_int_32>(stride),
                               nullptr)) {
        png_image_free(&image);
        return {nullptr, CGImageDecodeFailure::Malformed};
    }
    png_image_free(&image);

    if (hasAlpha) {
        for (std::size_t i = 0; i < pixels.size(); i += 4) {
            std::uint32_t word;
            std::memcpy(&word, &pixels[i], 4);
            std::uint32_t alpha = word >> 24;
            if (alpha == 255)
                continue;
            word = alpha << 24 | std::uint32_t(premultiply((word >> 16) & 0xFF, alpha)) << 16 |
                   std::uint32_t(premultiply((word >> 8) & 0xFF, alpha)) << 8 |
                   premultiply(word & 0xFF, alpha);
            std::memcpy(&pixels[i], &word, 4);
        }
    }
    CGImageRef result =
        CGImage::create(width, height, stride, std::move(pixels),
                        hasAlpha ? kCGImageAlphaPremultipliedFirst : kCGImageAlphaNoneSkipFirst);
    return {result, result ? CGImageDecodeFailure::None : CGImageDecodeFailure::Malformed};
}

struct TurboJPEGRelease {
    void operator()(void* handle) const { tjDestroy(handle); }
};

// Adobe's programs, which write most CMYK and YCCK JPEGs, store ink inverted
// (255 is no ink) and say so with their APP14 "Adobe" segment; a file
// without one holds ink as it is. Only the segments before the scan data
// are looked at, each skipped by its own length.
bool hasAdobeSegment(std::span<const std::uint8_t> bytes) {
    std::size_t position = 2;
    while (position + 4 <= bytes.size() && bytes[position] == 0xFF) {
        std::uint8_t marker = bytes[position + 1];
        if (marker == 0xFF) {
            ++position;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9)
            return false;
        std::size_t length = std::size_t(bytes[position + 2]) << 8 | bytes[position + 3];
        if (length < 2)
            return false;
        if (marker == 0xEE && length >= 7 && position + 9 <= bytes.size() &&
            std::memcmp(bytes.data() + position + 4, "Adobe", 5) == 0)
            return true;
        position += 2 + length;
    }
    return false;
}

// CMYK ink to the light an RGB screen gives off: each colour is what its
// ink lets through, times what the black lets through. Rewrites the
// four-byte pixels in place as the platform's opaque words.
void convertInkToRGB(std::vector<std::uint8_t>& pixels, bool inverted) {
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        std::uint32_t light[4];
        for (int channel = 0; channel < 4; ++channel)
            light[channel] = inverted ? pixels[i + channel] : 255u - pixels[i + channel];
        auto through = [&](std::uint32_t colour) { return (colour * light[3] + 127) / 255; };
        std::uint32_t word =
            0xFF000000u | through(light[0]) << 16 | through(light[1]) << 8 | through(light[2]);
        std::memcpy(&pixels[i], &word, 4);
    }
}

CGImageDecodeResult decodeJPEG(std::span<const std::uint8_t> bytes) {
    std::unique_ptr<void, TurboJPEGRelease> handle(tjInitDecompress());
    if (!handle)
        return {nullptr, CGImageDecodeFailure::Malformed};
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    if (tjDecompressHeader3(handle.get(), bytes.data(), static_cast<unsigned long>(bytes.size()),
                            &width, &height, &subsampling, &colorspace) != 0)
        return {nullptr, CGImageDecodeFailure::Malformed};
    if (width <= 0 || height <= 0)
        return {nullptr, CGImageDecodeFailure::Malformed};
    if (auto failure = checkSize(std::uint64_t(width), std::uint64_t(height));
        failure != CGImageDecodeFailure::None)
        return {nullptr, failure};
    // Every 8 x 8 block of the first component codes at least one bit.
    std::uint64_t blocks = std::uint64_t(width + 7) / 8 * (std::uint64_t(height + 7) / 8);
    if (bytes.size() * 8 < blocks)
        return {nullptr, CGImageDecodeFailure::TooFewBytes};

    std::size_t stride = std::size_t(width) * 4;
    std::vector<std::uint8_t> pixels(stride * std::size_t(height));
    // TurboJPEG gives CMYK and YCCK pictures only as CMYK ink, four bytes a
    // pixel like the words they become.
    bool ink = colorspace == TJCS_CMYK || colorspace == TJCS_YCCK;
    int format = ink ? TJPF_CMYK : kLittleEndian ? TJPF_BGRA : TJPF_ARGB;
    // A warning (a truncated stream, say) counts as a failure: half a picture
    // is no picture. Progressive streams are held to a sane number of scans.
    int flags = TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS;
    if (tjDecompress2(handle.get(), bytes.data(), static_cast<unsigned long>(bytes.size()),
                      pixels.data(), width, static_cast<int>(stride), height, format, flags) != 0)
        return {nullptr, CGImageDecodeFailure::Malformed};
    if (ink) {
        convertInkToRGB(pixels, hasAdobeSegment(bytes));
    } else {
        for (std::size_t i = 0; i < pixels.size(); i += 4)
            pixels[i + (kLittleEndian ? 3 : 0)] = 255;
    }
    CGImageRef result = CGImage::create(std::size_t(width), std::size_t(height), stride,
                                        std::move(pixels), kCGImageAlphaNoneSkipFirst);
    return {result, result ? CGImageDecodeFailure::None : CGImageDecodeFailure::Malformed};
}

} // namespace

CGImageDecodeResult CGImageDecode(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > kCGImageMaximumDataSize)
        return {nullptr, CGImageDecodeFailure::TooManyBytes};
    if (isPNG(bytes))
        return decodePNG(bytes);
    if (isJPEG(bytes))
        return decodeJPEG(bytes);
    return {nullptr, CGImageDecodeFailure::UnknownFormat};
}

CFData CGImageCreatePNGData(const CGImageRef& image) {
    if (!image)
        return nullptr;
    auto bytes = PNGEncoder::encode(*image, PNGEncoder::Compression::Compact);
    return bytes ? std::make_shared<std::vector<std::uint8_t>>(std::move(*bytes)) : nullptr;
}

bool CGImageWritePNGToFile(const CGImageRef& image, const std::filesystem::path& hostPath) {
    // A file is written to be looked at: speed matters more than its size.
    auto bytes = image ? PNGEncoder::encode(*image, PNGEncoder::Compression::Fast) : std::nullopt;
    if (!bytes)
        return false;
    std::ofstream file(hostPath, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes->data()),
               static_cast<std::streamsize>(bytes->size()));
    file.close();
    return static_cast<bool>(file);
}
