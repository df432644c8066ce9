#include "platform/graphics/PNGEncoder.h"

#include <csetjmp>
#include <cstring>
#include <png.h>
#include <zlib.h>

namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* bytes = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    bytes->insert(bytes->end(), data, data + length);
}

void flushNothing(png_structp) {}

// One row of native 0xAARRGGBB words as PNG bytes: RGB, or RGBA with the
// alpha taken out of the colours the way Cairo's own PNG writer rounds it.
void convertRow(const std::uint8_t* source, std::size_t width, bool opaque, std::uint8_t* row) {
    for (std::size_t x = 0; x < width; ++x) {
        std::uint32_t word;
        std::memcpy(&word, source + 4 * x, 4);
        std::uint32_t alpha = word >> 24;
        std::uint32_t red = (word >> 16) & 0xFF, green = (word >> 8) & 0xFF, blue = word & 0xFF;
        if (opaque) {
            row[3 * x] = static_cast<std::uint8_t>(red);
            row[3 * x + 1] = static_cast<std::uint8_t>(green);
            row[3 * x + 2] = static_cast<std::uint8_t>(blue);
            continue;
        }
        std::uint8_t* out = row + 4 * x;
        if (alpha == 0) {
            std::memset(out, 0, 4);
            continue;
        }
        out[0] = static_cast<std::uint8_t>((red * 255 + alpha / 2) / alpha);
        out[1] = static_cast<std::uint8_t>((green * 255 + alpha / 2) / alpha);
        out[2] = static_cast<std::uint8_t>((blue * 255 + alpha / 2) / alpha);
        out[3] = static_cast<std::uint8_t>(alpha);
    }
}

// libpng reports its errors with longjmp: everything with a destructor is made
// by the caller, so that only libpng's own frames are left behind.
struct Pixels {
    const std::uint8_t* data;
    std::size_t width, height, bytesPerRow;
    bool opaque;
};

bool writeRows(png_structp png, png_infop info, const Pixels& image, bool fast,
               std::vector<std::uint8_t>& row, std::vector<std::uint8_t>& bytes) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, &bytes, appendBytes, flushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), 8,
                 image.opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (fast) {
        png_set_compression_level(png, 1);
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    } else {
        png_set_compression_level(png, Z_DEFAULT_COMPRESSION);
    }
    png_write_info(png, info);
    for (std::size_t y = 0; y < image.height; ++y) {
        convertRow(image.data + y * image.bytesPerRow, image.width, image.opaque, row.data());
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    return true;
}

} // namespace

std::optional<std::vector<std::uint8_t>> PNGEncoder::encode(const CGImage& image,
                                                            Compression compression) {
    return encode(image.bytes(), image.width(), image.height(), image.bytesPerRow(),
                  image.isOpaque(), compression);
}

std::optional<std::vector<std::uint8_t>> PNGEncoder::encode(std::span<const std::uint8_t> pixels,
                                                            std::size_t width, std::size_t height,
                                                            std::size_t bytesPerRow, bool opaque,
                                                            Compression compression) {
    if (width == 0 || height == 0 || width > PNG_UINT_31_MAX || height > PNG_UINT_31_MAX ||
        bytesPerRow < width * 4 || pixels.size() < (height - 1) * bytesPerRow + width * 4)
        return std::nullopt;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return std::nullopt;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return std::nullopt;
    }
    std::vector<std::uint8_t> row(width * (opaque ? 3 : 4));
    std::vector<std::uint8_t> bytes;
    bytes.reserve(width * height / 4);
    Pixels image{pixels.data(), width, height, bytesPerRow, opaque};
    bool written = writeRows(png, info, image, compression == Compression::Fast, row, bytes);
    png_destroy_write_struct(&png, &info);
    if (!written)
        return std::nullopt;
    return bytes;
}
