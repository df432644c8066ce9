#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>

// A strings table ("Localizable.strings"): the text format of quoted pairs
// ("KEY" = "text";) with comments and escapes, in UTF-8 or UTF-16 with a byte
// order mark, or a compiled property list of strings. Tables come from a
// bundle someone else built, so they are bounded before parsing and a table
// that does not parse is refused whole, as the platform refuses it.
class StringsTable {
public:
    static constexpr size_t kMaximumBytes = 1 << 20;
    static constexpr size_t kMaximumEntries = 1 << 16;

    using Entries = std::map<std::string, std::string>;

    // The entries, or nothing with the reason in `error`.
    static std::optional<Entries> parse(std::span<const std::uint8_t> bytes,
                                        std::string* error = nullptr);
};
