#pragma once

#include <cstdint>
#include <span>

enum class PropertyListNesting {
    Within,
    TooDeep,
    // A binary list whose shared references would expand into more objects
    // than a file of its size could honestly hold.
    TooManyObjects,
    Malformed,
};

// Measures how deeply arrays and dictionaries nest in XML or binary
// property-list bytes without building anything, so that bytes which would
// exhaust a parser's stack (the parser recurses per level) are turned away
// before it sees them. Binary lists are also checked for cycles, for
// shared references that would multiply into an unbounded tree, and for
// dictionary keys that would make the parser abort.
PropertyListNesting checkPropertyListNesting(std::span<const std::uint8_t> bytes, int maximumDepth);
