#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <sdbus-c++/Types.h>
#include <string>
#include <string_view>

// What a desktop player says about its current track, in the shape the lock
// screen shows it. Texts are cut for display as they are read, so a player's
// ten-megabyte title is never kept; values of the wrong type are left out,
// which the player view shows as its defaults.
struct MprisMetadata {
    using VariantMap = std::map<std::string, sdbus::Variant>;

    static constexpr size_t kMaximumDisplayCharacters = 1024;
    // URLs and track ids longer than any real one are dropped, not cut: a
    // shortened path would name another file.
    static constexpr size_t kMaximumReferenceLength = 16 * 1024;
    // The path that says "no track" instead of naming one.
    static constexpr std::string_view kNoTrackPath = "/org/mpris/MediaPlayer2/TrackList/NoTrack";

    std::optional<std::string> title;
    // The artists joined with ", ".
    std::optional<std::string> artist;
    std::optional<std::string> album;
    std::optional<std::int64_t> lengthMicroseconds;
    std::optional<std::string> trackId;
    // Only a track id sent as an object path can be handed back to
    // SetPosition; some players send a plain string.
    bool trackIdIsObjectPath = false;
    std::optional<std::string> artUrl;
    std::optional<std::string> url;

    // The keys the player sent, whether or not their values could be used:
    // a title of the wrong type still says the old title no longer holds.
    enum Key : unsigned {
        kTitle = 1 << 0,
        kArtist = 1 << 1,
        kAlbum = 1 << 2,
        kLength = 1 << 3,
        kTrackId = 1 << 4,
        kArtUrl = 1 << 5,
        kUrl = 1 << 6,
    };
    unsigned sentKeys = 0;

    static MprisMetadata fromVariantMap(const VariantMap& map);

    // The track this describes: its id, else its URL; nothing when neither
    // was sent.
    std::optional<std::string> identity() const;
    // The title to show: the player's, else the name of the file the URL
    // ends in (an untagged file in VLC has no title); cut for display.
    std::optional<std::string> shownTitle() const;
    bool isSameTrack(const MprisMetadata& other) const;
    bool canSetPosition() const;
    double lengthSeconds() const;

    // Players send metadata in pieces (a file name first, the tags a moment
    // later, the artwork last). A piece for the same track, or one that does
    // not say which track it is, replaces the keys it sends and keeps the
    // rest; a piece for another track replaces everything.
    MprisMetadata mergedWith(const MprisMetadata& update) const;

    // UTF-8 (anything else mended to U+FFFD) of at most
    // kMaximumDisplayCharacters characters, cut between characters.
    static std::string cutForDisplay(std::string_view text);

    // Compares what is shown and used, not which keys were sent.
    bool operator==(const MprisMetadata& other) const;
};
