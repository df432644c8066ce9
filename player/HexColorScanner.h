#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// scanHexInt: of the platform's scanner, started after the text's first
// character, which is meant for the "#" of a colour setting and skipped
// whatever it is. White space is skipped, an optional "0x" or "0X" accepted,
// and hexadecimal digits read up to the first other character; a number past
// 32 bits gives 0xFFFFFFFF. Nothing when no number is found.
//
// The text is UTF-8. A byte that does not start a valid sequence counts as a
// character of its own; a character beyond the Basic Multilingual Plane is
// two of the scanner's units, so skipping the first leaves half of it, which
// ends the scan. Every read is bounded by the text's length.
std::optional<std::uint32_t> scanHexIntAfterFirstCharacter(std::string_view text);
