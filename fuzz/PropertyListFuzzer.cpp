// Preference files are written by another program, so their bytes may be
// anything: they go through the store's bounds (size, nesting, shared
// references) and then libplist. Whatever is read must also write back and
// read again as the same value, as the store does when it synchronises.
#include "platform/corefoundation/PropertyListFile.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <variant>

namespace {

// Equal, taking a NaN as equal to itself: a stored NaN stays a NaN.
bool sameValue(const CFPropertyList& a, const CFPropertyList& b) {
    if (a.value().index() != b.value().index())
        return false;
    // libplist 2.2 passes dates as 32-bit seconds and whole microseconds, cut
    // rather than rounded, both ways: a date may come back up to two
    // microseconds early, and one outside those seconds at their limit. No
    // preference of the system is a date.
    if (const CFDate* date = a.date()) {
        const double theirs = b.date()->absoluteTime;
        const bool inRange =
            date->absoluteTime > -2147483648.0 && date->absoluteTime < 2147483647.0;
        return !inRange || std::fabs(date->absoluteTime - theirs) <= 2.5e-6;
    }
    if (const double* number = std::get_if<double>(&a.value())) {
        const double other = std::get<double>(b.value());
        return *number == other || (std::isnan(*number) && std::isnan(other));
    }
    if (const CFArray* array = a.array()) {
        const CFArray& other = *b.array();
        if (array->size() != other.size())
            return false;
        for (size_t i = 0; i < array->size(); ++i)
            if (!sameValue((*array)[i], other[i]))
                return false;
        return true;
    }
    if (const CFDictionary* dictionary = a.dictionary()) {
        const CFDictionary& other = *b.dictionary();
        if (dictionary->size() != other.size())
            return false;
        for (auto mine = dictionary->begin(), theirs = other.begin(); mine != dictionary->end();
             ++mine, ++theirs)
            if (mine->first != theirs->first || !sameValue(mine->second, theirs->second))
                return false;
        return true;
    }
    return a == b;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PropertyListFile::Status status = PropertyListFile::Status::Missing;
    const auto value = PropertyListFile::parse(std::span<const std::uint8_t>(data, size), &status);
    if (value.has_value() != (status == PropertyListFile::Status::Read))
        __builtin_trap();
    if (!value)
        return 0;
    // A value read within the bounds can always be written and read back.
    const auto bytes = PropertyListFile::serialize(*value);
    if (!bytes)
        __builtin_trap();
    const auto again = PropertyListFile::parse(*bytes);
    if (!again || !sameValue(*value, *again))
        __builtin_trap();
    return 0;
}
