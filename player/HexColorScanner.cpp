#include "player/HexColorScanner.h"

#include "platform/corefoundation/UTF8Text.h"
#include "platform/foundation/HexDigit.h"

#include <cstddef>

namespace {

// The platform's white space and newline set: the separators and the
// control characters from tab to carriage return and the next-line mark.
bool isWhitespaceOrNewline(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

} // namespace

std::optional<std::uint32_t> scanHexIntAfterFirstCharacter(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    // A byte that starts no well-formed character is a character of its own.
    auto first = UTF8CharacterAt(text, 0);
    // Half of a surrogate pair is neither white space nor a digit.
    if (first && first->value > 0xFFFF)
        return std::nullopt;
    std::size_t position = first ? first->length : 1;

    while (position < text.size()) {
        auto next = UTF8CharacterAt(text, position);
        if (!next || !isWhitespaceOrNewline(next->value))
            break;
        position += next->length;
    }

    bool found = false;
    if (position < text.size() && text[position] == '0') {
        found = true;
        ++position;
        if (position < text.size() && (text[position] == 'x' || text[position] == 'X'))
            ++position;
    }
    constexpr std::uint64_t kLargest = 0xFFFFFFFF;
    std::uint64_t value = 0;
    bool overflowed = false;
    for (; position < text.size(); ++position) {
        int digit = hexDigitValue(text[position]);
        if (digit < 0)
            break;
        found = true;
        // Past 32 bits the digits are still consumed, but the value stays at
        // the largest one.
        if (!overflowed) {
            value = value * 16 + static_cast<std::uint64_t>(digit);
            overflowed = value > kLargest;
        }
    }
    if (!found)
        return std::nullopt;
    return overflowed ? static_cast<std::uint32_t>(kLargest) : static_cast<std::uint32_t>(value);
}
