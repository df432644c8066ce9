#pragma once

#include "platform/graphics/CGImage.h"

#include <filesystem>
#include <string>

// A picture read from a host path: PNG or JPEG, told by content, within the
// platform's decoding limits. Without an image, error says why in a few words.
struct ImageFile {
    CGImageRef image;
    std::string error;

    static ImageFile read(const std::filesystem::path& path);
};
