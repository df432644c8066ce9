#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Text from outside (scenario files, other programs' metadata, preference
// files written by anyone) is UTF-8 only by agreement. It is checked and
// mended where it enters, so that what a label draws and what a dump writes
// are the same characters.

// Well-formed UTF-8 without NUL characters.
bool isValidUTF8(std::string_view text);

// The text with every byte that is not part of a well-formed character, and
// every NUL, replaced by U+FFFD; well-formed text comes back unchanged.
std::string stringByRepairingUTF8(std::string_view text);

struct UTF8Character {
    char32_t value = 0;
    std::size_t length = 0;
};
// The well-formed character that starts at the offset, or nothing when the
// byte there starts none (or is NUL).
std::optional<UTF8Character> UTF8CharacterAt(std::string_view text, std::size_t offset);

// Appends the character's UTF-8 bytes; a surrogate or a value past U+10FFFF
// appends U+FFFD instead.
void appendUTF8Character(std::string& out, char32_t value);
