#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Well-formed UTF-8 as Unicode defines it: no overlong forms, surrogates or
// values past U+10FFFF. Text from other programs is checked, or repaired,
// before it is kept.

// The length of the well-formed sequence starting at the offset, or 0 when
// the bytes there do not start one.
std::size_t utf8SequenceLength(std::string_view text, std::size_t offset);
bool isValidUtf8(std::string_view text);
// The text with each byte that does not belong to a well-formed sequence
// replaced by U+FFFD, the replacement character.
std::string repairedUtf8(std::string_view text);
