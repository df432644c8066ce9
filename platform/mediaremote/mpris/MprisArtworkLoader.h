#pragma once

#include "platform/corefoundation/CFPropertyList.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Artwork named by a player's art URL. Only local files are read: another
// scheme would have the lock screen fetch from wherever a player points it.
// Files are bounded before they are read, and must decode as an image.
class MprisArtworkLoader {
public:
    static constexpr size_t kMaximumBytes = 16 * 1024 * 1024;

    // The absolute path of a file:// URL (empty host or "localhost"),
    // percent-escapes decoded; nothing for any other URL.
    static std::optional<std::string> pathFromFileURL(std::string_view url);
    // The file's bytes; nothing when it is missing, not a regular file,
    // larger than kMaximumBytes, or not a picture the decoders take. Blocks
    // on the file: call it off the main thread.
    static CFData load(const std::string& path);
};
