#include "support/GeneratedMedia.h"

#include "platform/graphics/CGBitmapContext.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/CGImageIO.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <numbers>
#include <vector>

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
