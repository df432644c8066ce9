#pragma once

#include <exception>
#include <map>
#include <optional>
#include <sdbus-c++/Types.h>
#include <string>

// Reads a value only when the variant holds exactly that type; anything the
// library cannot read is the same as a missing value.
template <class T>
std::optional<T> readVariant(const sdbus::Variant& variant) {
    try {
        if (variant.containsValueOfType<T>())
            return variant.get<T>();
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

// The value under the key, or nothing.
inline const sdbus::Variant* findVariant(const std::map<std::string, sdbus::Variant>& map,
                                         const std::string& key) {
    auto found = map.find(key);
    return found == map.end() ? nullptr : &found->second;
}
