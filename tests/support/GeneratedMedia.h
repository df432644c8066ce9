#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Short tracks and covers that tests write for the music players they start:
// a sine tone as 16-bit mono WAV, titled and credited in its INFO chunk.
bool writeToneWav(const std::filesystem::path& path, double seconds, const std::string& title,
                  const std::string& artist);
// A small PNG of one colour.
bool writeCoverPng(const std::filesystem::path& path, double red, double green, double blue);

enum class InkJpeg { Cmyk, Ycck };
// A JPEG of printing ink as Adobe's programs write one: in the CMYK or the
// YCCK colour space, stored inverted (255 is no ink) behind an Adobe
// segment. `ink` holds cyan, magenta, yellow and black a pixel, 0 for none.
bool writeAdobeInkJpeg(const std::filesystem::path& path, const std::vector<std::uint8_t>& ink,
                       int width, int height, InkJpeg space);
// A PNG with an alpha channel, from 0xAARRGGBB words (straight alpha), even
// when every pixel is opaque, as image editors export masks.
bool writeRgbaPng(const std::filesystem::path& path, const std::vector<std::uint32_t>& words,
                  int width, int height);
