#include "platform/mediaremote/mpris/MprisMetadata.h"

#include "platform/foundation/UTF8Text.h"
#include "platform/mediaremote/mpris/MprisURL.h"
#include "platform/mediaremote/mpris/MprisVariant.h"

#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr std::string_view kArtistSeparator = ", ";

std::optional<std::string> displayText(const MprisMetadata::VariantMap& map,
                                       const std::string& key) {
    const sdbus::Variant* value = findVariant(map, key);
    if (!value)
        return std::nullopt;
    auto text = readVariant<std::string>(*value);
    if (!text || text->empty())
        return std::nullopt;
    return MprisMetadata::cutForDisplay(*text);
}

// MPRIS defines a list of strings; many players send one string.
std::optional<std::string> artistText(const sdbus::Variant& value) {
    if (auto single = readVariant<std::string>(value))
        return single->empty() ? std::nullopt
                               : std::optional(MprisMetadata::cutForDisplay(*single));
    auto list = readVariant<std::vector<std::string>>(value);
    if (!list)
        return std::nullopt;
    std::string joined;
    for (const auto& name : *list) {
        if (name.empty())
            continue;
        if (!joined.empty())
            joined += kArtistSeparator;
        joined += name;
        // Past the display limit in bytes is past it in characters too.
        if (joined.size() > MprisMetadata::kMaximumDisplayCharacters)
            break;
    }
    if (joined.empty())
        return std::nullopt;
    return MprisMetadata::cutForDisplay(joined);
}

// Microseconds as MPRIS defines them (a signed 64-bit number), or any other
// number a player might send instead.
std::optional<std::int64_t> lengthValue(const sdbus::Variant& value) {
    std::optional<double> number;
    if (auto x = readVariant<std::int64_t>(value))
        number = static_cast<double>(*x);
    else if (auto t = readVariant<std::uint64_t>(value))
        number = static_cast<double>(*t);
    else if (auto i = readVariant<std::int32_t>(value))
        number = *i;
    else if (auto u = readVariant<std::uint32_t>(value))
        number = *u;
    else if (auto d = readVariant<double>(value))
        number = *d;
    // A day-long track is plausible; a length near the type's limit is not,
    // and would overflow the arithmetic that follows. Under a microsecond
    // would come out as a length of 0.
    constexpr double kLongest = 1e15;
    if (!number || !std::isfinite(*number) || *number < 1 || *number > kLongest)
        return std::nullopt;
    return static_cast<std::int64_t>(*number);
}

std::optional<std::string> reference(const sdbus::Variant& value) {
    auto text = readVariant<std::string>(value);
    if (!text || text->empty() || text->size() > MprisMetadata::kMaximumReferenceLength)
        return std::nullopt;
    return text;
}

} // namespace

MprisMetadata MprisMetadata::fromVariantMap(const VariantMap& map) {
    MprisMetadata metadata;
    const std::pair<const char*, Key> keys[] = {
        {"xesam:title", kTitle},   {"xesam:artist", kArtist},   {"xesam:album", kAlbum},
        {"mpris:length", kLength}, {"mpris:trackid", kTrackId}, {"mpris:artUrl", kArtUrl},
        {"xesam:url", kUrl},
    };
    for (const auto& [name, key] : keys) {
        if (map.count(name))
            metadata.sentKeys |= key;
    }
    metadata.title = displayText(map, "xesam:title");
    metadata.album = displayText(map, "xesam:album");
    if (const sdbus::Variant* artist = findVariant(map, "xesam:artist"))
        metadata.artist = artistText(*artist);
    if (const sdbus::Variant* length = findVariant(map, "mpris:length"))
        metadata.lengthMicroseconds = lengthValue(*length);
    if (const sdbus::Variant* trackId = findVariant(map, "mpris:trackid")) {
        if (auto path = readVariant<sdbus::ObjectPath>(*trackId)) {
            if (!path->empty() && path->size() <= kMaximumReferenceLength) {
                metadata.trackId = std::string(*path);
                metadata.trackIdIsObjectPath = true;
            }
        } else {
            metadata.trackId = reference(*trackId);
        }
    }
    if (const sdbus::Variant* artUrl = findVariant(map, "mpris:artUrl"))
        metadata.artUrl = reference(*artUrl);
    if (const sdbus::Variant* url = findVariant(map, "xesam:url"))
        metadata.url = reference(*url);
    return metadata;
}

std::optional<std::string> MprisMetadata::identity() const {
    if (trackId && *trackId != kNoTrackPath)
        return "id:" + *trackId;
    if (url)
        return "url:" + *url;
    return std::nullopt;
}

std::optional<std::string> MprisMetadata::shownTitle() const {
    if (title)
        return title;
    auto name = url ? MprisURL::trackNameFromURL(*url) : std::nullopt;
    return name ? std::optional(cutForDisplay(*name)) : std::nullopt;
}

bool MprisMetadata::isSameTrack(const MprisMetadata& other) const {
    auto mine = identity();
    auto theirs = other.identity();
    if (mine || theirs)
        return mine == theirs;
    // Neither says which track it is: only what is shown can tell.
    return title == other.title && artist == other.artist;
}

bool MprisMetadata::canSetPosition() const {
    return trackId && trackIdIsObjectPath && *trackId != kNoTrackPath;
}

double MprisMetadata::lengthSeconds() const {
    return lengthMicroseconds ? static_cast<double>(*lengthMicroseconds) / 1e6 : 0.0;
}

MprisMetadata MprisMetadata::mergedWith(const MprisMetadata& update) const {
    auto theirs = update.identity();
    if (theirs && theirs != identity())
        return update;
    MprisMetadata merged = *this;
    auto take = [&](Key key, auto& field, const auto& value) {
        if (update.sentKeys & key)
            field = value;
    };
    take(kTitle, merged.title, update.title);
    take(kArtist, merged.artist, update.artist);
    take(kAlbum, merged.album, update.album);
    take(kLength, merged.lengthMicroseconds, update.lengthMicroseconds);
    take(kArtUrl, merged.artUrl, update.artUrl);
    take(kUrl, merged.url, update.url);
    take(kTrackId, merged.trackId, update.trackId);
    take(kTrackId, merged.trackIdIsObjectPath, update.trackIdIsObjectPath);
    merged.sentKeys |= update.sentKeys;
    return merged;
}

bool MprisMetadata::operator==(const MprisMetadata& other) const {
    return title == other.title && artist == other.artist && album == other.album &&
           lengthMicroseconds == other.lengthMicroseconds && trackId == other.trackId &&
           trackIdIsObjectPath == other.trackIdIsObjectPath && artUrl == other.artUrl &&
           url == other.url;
}

std::string MprisMetadata::cutForDisplay(std::string_view text) {
    // Mended first, so that every character is whole and the count is true.
    std::string repaired = stringByRepairingUTF8(text);
    size_t characters = 0;
    for (size_t i = 0; i < repaired.size(); ++i) {
        // A byte that does not continue a character starts the next one.
        if ((static_cast<unsigned char>(repaired[i]) & 0xC0) != 0x80) {
            if (characters == kMaximumDisplayCharacters)
                return repaired.substr(0, i);
            ++characters;
        }
    }
    return repaired;
}
