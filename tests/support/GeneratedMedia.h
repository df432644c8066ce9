#pragma once

#include <filesystem>
#include <string>

// Short tracks and covers that tests write for the music players they start:
// a sine tone as 16-bit mono WAV, titled and credited in its INFO chunk.
bool writeToneWav(const std::filesystem::path& path, double seconds, const std::string& title,
                  const std::string& artist);
// A small PNG of one colour.
bool writeCoverPng(const std::filesystem::path& path, double red, double green, double blue);
