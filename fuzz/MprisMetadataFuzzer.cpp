// A desktop player's Metadata property, an a{sv} whose values may be of any
// type, through the conversion the lock screen's MPRIS source uses. The keys
// are mostly the ones the conversion reads, the values anything the bus can
// carry, nested through variants, arrays, dictionaries and structs. Beyond
// the sanitizers' checks, what comes out must be within the display and
// reference bounds, and merging must keep the promises its callers rely on.
#include "platform/mediaremote/mpris/MprisArtworkLoader.h"
#include "platform/mediaremote/mpris/MprisMetadata.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <sdbus-c++/sdbus-c++.h>
#include <string>
#include <vector>

namespace {

using VariantMap = MprisMetadata::VariantMap;

constexpr int kMaximumDepth = 4;
constexpr size_t kMaximumItems = 8;
constexpr const char* kKeys[] = {"xesam:title",   "xesam:artist", "xesam:album", "mpris:length",
                                 "mpris:trackid", "mpris:artUrl", "xesam:url"};

VariantMap makeMap(FuzzedDataProvider& in, int depth);

// Text up to far past the display and reference bounds: a short piece
// repeated.
std::string makeText(FuzzedDataProvider& in) {
    std::string piece = in.ConsumeRandomLengthString(32);
    size_t repeats = in.ConsumeBool() ? 1 : in.ConsumeIntegralInRange<size_t>(1, 1200);
    std::string text;
    for (size_t i = 0; i < repeats; ++i)
        text += piece;
    return text;
}

template <class T>
std::vector<T> makeList(FuzzedDataProvider& in, T (*make)(FuzzedDataProvider&)) {
    std::vector<T> list(in.ConsumeIntegralInRange<size_t>(0, kMaximumItems));
    for (T& item : list)
        item = make(in);
    return list;
}

double makeDouble(FuzzedDataProvider& in) {
    return std::bit_cast<double>(in.ConsumeIntegral<std::uint64_t>());
}
std::int64_t makeInt64(FuzzedDataProvider& in) {
    return in.ConsumeIntegral<std::int64_t>();
}
std::uint8_t makeByte(FuzzedDataProvider& in) {
    return in.ConsumeIntegral<std::uint8_t>();
}
sdbus::ObjectPath makePath(FuzzedDataProvider& in) {
    return sdbus::ObjectPath(makeText(in));
}

// The bus refuses some values (text that is not UTF-8, a malformed object
// path) while they are written; such a value is left out of the map.
sdbus::Variant makeVariant(FuzzedDataProvider& in, int depth) {
    const int kinds = depth < kMaximumDepth ? 22 : 17;
    switch (in.ConsumeIntegralInRange<int>(0, kinds - 1)) {
    case 0:
        return sdbus::Variant(makeText(in));
    case 1:
        return sdbus::Variant(in.ConsumeBool());
    case 2:
        return sdbus::Variant(in.ConsumeIntegral<std::uint8_t>());
    case 3:
        return sdbus::Variant(in.ConsumeIntegral<std::int16_t>());
    case 4:
        return sdbus::Variant(in.ConsumeIntegral<std::uint16_t>());
    case 5:
        return sdbus::Variant(in.ConsumeIntegral<std::int32_t>());
    case 6:
        return sdbus::Variant(in.ConsumeIntegral<std::uint32_t>());
    case 7:
        return sdbus::Variant(in.ConsumeIntegral<std::int64_t>());
    case 8:
        return sdbus::Variant(in.ConsumeIntegral<std::uint64_t>());
    case 9:
        return sdbus::Variant(makeDouble(in));
    case 10:
        return sdbus::Variant(makePath(in));
    case 11:
        return sdbus::Variant(sdbus::Signature(in.ConsumeRandomLengthString(16)));
    case 12:
        return sdbus::Variant(makeList<std::string>(in, makeText));
    case 13:
        return sdbus::Variant(makeList<sdbus::ObjectPath>(in, makePath));
    case 14:
        return sdbus::Variant(makeList<std::int64_t>(in, makeInt64));
    case 15:
        return sdbus::Variant(makeList<std::uint8_t>(in, makeByte));
    case 16:
        return sdbus::Variant(makeList<double>(in, makeDouble));
    case 17:
        return sdbus::Variant(makeVariant(in, depth + 1));
    case 18: {
        std::vector<sdbus::Variant> list(in.ConsumeIntegralInRange<size_t>(0, kMaximumItems));
        for (auto& item : list)
            item = makeVariant(in, depth + 1);
        return sdbus::Variant(list);
    }
    case 19:
        return sdbus::Variant(makeMap(in, depth + 1));
    case 20:
        return sdbus::Variant(sdbus::make_struct(makeText(in), makeVariant(in, depth + 1)));
    default: {
        std::vector<std::vector<std::string>> lists(
            in.ConsumeIntegralInRange<size_t>(0, kMaximumItems));
        for (auto& list : lists)
            list = makeList<std::string>(in, makeText);
        return sdbus::Variant(lists);
    }
    }
}

VariantMap makeMap(FuzzedDataProvider& in, int depth) {
    VariantMap map;
    const size_t count = in.ConsumeIntegralInRange<size_t>(0, kMaximumItems);
    for (size_t i = 0; i < count && in.remaining_bytes() > 0; ++i) {
        const size_t choice = in.ConsumeIntegralInRange<size_t>(0, std::size(kKeys));
        std::string key = choice < std::size(kKeys) ? kKeys[choice] : makeText(in);
        try {
            map.insert_or_assign(std::move(key), makeVariant(in, depth));
        } catch (const sdbus::Error&) {
        }
    }
    return map;
}

size_t characters(const std::string& text) {
    size_t count = 0;
    for (unsigned char c : text)
        count += (c & 0xC0) != 0x80;
    return count;
}

bool isDisplayText(const std::optional<std::string>& text) {
    return !text ||
           (!text->empty() && characters(*text) <= MprisMetadata::kMaximumDisplayCharacters);
}

bool isReference(const std::optional<std::string>& text) {
    return !text || (!text->empty() && text->size() <= MprisMetadata::kMaximumReferenceLength);
}

void check(const MprisMetadata& metadata) {
    if (!isDisplayText(metadata.title) || !isDisplayText(metadata.artist) ||
        !isDisplayText(metadata.album) || !isReference(metadata.trackId) ||
        !isReference(metadata.artUrl) || !isReference(metadata.url))
        __builtin_trap();
    if (metadata.lengthMicroseconds && *metadata.lengthMicroseconds <= 0)
        __builtin_trap();
    if (!std::isfinite(metadata.lengthSeconds()) || metadata.lengthSeconds() < 0)
        __builtin_trap();
    if (!metadata.isSameTrack(metadata) || !(metadata.mergedWith(metadata) == metadata))
        __builtin_trap();
    if (metadata.artUrl) {
        auto path = MprisArtworkLoader::pathFromFileURL(*metadata.artUrl);
        if (path && (path->empty() || path->front() != '/'))
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    // The property arrives as a variant holding the map, read back as the
    // source reads it.
    VariantMap first;
    VariantMap second;
    try {
        sdbus::Variant property(makeMap(in, 0));
        if (property.containsValueOfType<VariantMap>())
            first = property.get<VariantMap>();
        second = makeMap(in, 0);
    } catch (const sdbus::Error&) {
        return 0;
    }

    const MprisMetadata older = MprisMetadata::fromVariantMap(first);
    const MprisMetadata update = MprisMetadata::fromVariantMap(second);
    check(older);
    check(update);
    const MprisMetadata merged = older.mergedWith(update);
    check(merged);
    // A piece naming another track replaces everything.
    if (update.identity() && update.identity() != older.identity() && !(merged == update))
        __builtin_trap();
    if ((update.sentKeys & MprisMetadata::kTitle) && merged.title != update.title)
        __builtin_trap();
    return 0;
}
