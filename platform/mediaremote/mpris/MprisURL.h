#pragma once

#include <optional>
#include <string>
#include <string_view>

// Reading the URLs players send (xesam:url, mpris:artUrl).
struct MprisURL {
    // The text with its %XX escapes decoded; nothing for a broken escape, or
    // one that decodes to NUL, which no path or name can hold.
    static std::optional<std::string> percentDecoded(std::string_view text);

    // The name of the file the URL's path ends in, decoded and without its
    // extension ("file:///music/Night%20Drive.flac" gives "Night Drive"), as
    // desktop media panels name a track that has no title; nothing when the
    // path ends in no name.
    static std::optional<std::string> trackNameFromURL(std::string_view url);
};
