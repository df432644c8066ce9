#include "support/GeneratedMedia.h"

#include "platform/graphics/CGBitmapContext.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/CGImageIO.h"
#include "platform/uikit/UIColor.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <png.h>
#include <turbojpeg.h>
#include <vector>
// The libjpeg interface needs FILE declared first.
#include <jpeglib.h>

namespace {

constexpr std::uint32_t kSampleRate = 8000;
constexpr double kToneFrequency = 440.0;
constexpr double kAmplitude = 3000.0;

void put16(std::string& out, std::uint16_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

void put32(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

// A RIFF chunk, padded to an even length as the format requires.
std::string chunk(const std::string& tag, std::string payload) {
    std::string out = tag;
    put32(out, static_cast<std::uint32_t>(payload.size()));
    if (payload.size() % 2)
        payload += '\0';
    return out + payload;
}

} // namespace

bool writeToneWav(const std::filesystem::path& path, double seconds, const std::string& title,
                  const std::string& artist) {
    std::string format;
    put16(format, 1); // PCM
    put16(format, 1); // mono
    put32(format, kSampleRate);
    put32(format, kSampleRate * 2);
    put16(format, 2);
    put16(format, 16);
    std::string samples;
    auto count = static_cast<std::uint32_t>(seconds * kSampleRate);
    for (std::uint32_t i = 0; i < count; ++i) {
        double value =
            kAmplitude * std::sin(2 * std::numbers::pi * kToneFrequency * i / kSampleRate);
        put16(samples, static_cast<std::uint16_t>(static_cast<std::int16_t>(value)));
    }
    std::string info = "INFO" + chunk("INAM", title + '\0') + chunk("IART", artist + '\0');
    std::string body =
        "WAVE" + chunk("fmt ", format) + chunk("LIST", info) + chunk("data", samples);
    std::string file = "RIFF";
    put32(file, static_cast<std::uint32_t>(body.size()));
    file += body;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    return static_cast<bool>(out << file);
}

bool writeCoverPng(const std::filesystem::path& path, double red, double green, double blue) {
    constexpr std::size_t kSide = 64;
    auto context = CGBitmapContextCreate(kSide, kSide);
    if (!context)
        return false;
    CGContextSetFillColorWithColor(context, UIColor::colorWithRed(red, green, blue, 1));
    CGContextFillRect(context, {{0, 0}, {kSide, kSide}});
    return CGImageWritePNGToFile(CGBitmapContextCreateImage(context), path);
}

namespace {

bool writeBytes(const std::filesystem::path& path, const unsigned char* bytes, unsigned long size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

// TurboJPEG turns CMYK pixels into a YCCK picture and has no way to keep
// them CMYK, which libjpeg's own interface does.
bool writeCmykJpeg(const std::filesystem::path& path, std::vector<std::uint8_t>& stored, int width,
                   int height) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* bytes = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &bytes, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, JCS_CMYK);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = stored.data() + std::size_t(info.next_scanline) * std::size_t(width) * 4;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    bool written = writeBytes(path, bytes, size);
    std::free(bytes);
    return written;
}

bool writeYcckJpeg(const std::filesystem::path& path, const std::vector<std::uint8_t>& stored,
                   int width, int height) {
    tjhandle handle = tjInitCompress();
    unsigned char* bytes = nullptr;
    unsigned long size = 0;
    bool written = tjCompress2(handle, stored.data(), width, width * 4, height, TJPF_CMYK, &bytes,
                               &size, TJSAMP_444, 100, 0) == 0 &&
                   writeBytes(path, bytes, size);
    tjFree(bytes);
    tjDestroy(handle);
    return written;
}

} // namespace

bool writeAdobeInkJpeg(const std::filesystem::path& path, const std::vector<std::uint8_t>& ink,
                       int width, int height, InkJpeg space) {
    if (ink.size() != std::size_t(width) * std::size_t(height) * 4)
        return false;
    std::vector<std::uint8_t> stored(ink.size());
    for (std::size_t i = 0; i < ink.size(); ++i)
        stored[i] = static_cast<std::uint8_t>(255 - ink[i]);
    return space == InkJpeg::Cmyk ? writeCmykJpeg(path, stored, width, height)
                                  : writeYcckJpeg(path, stored, width, height);
}

bool writeRgbaPng(const std::filesystem::path& path, const std::vector<std::uint32_t>& words,
                  int width, int height) {
    if (words.size() != std::size_t(width) * std::size_t(height))
        return false;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(words.size() * 4);
    for (std::uint32_t word : words) {
        for (int shift : {16, 8, 0, 24})
            bytes.push_back(static_cast<std::uint8_t>(word >> shift));
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    return png_image_write_to_file(&image, path.c_str(), 0, bytes.data(), 0, nullptr) != 0;
}
