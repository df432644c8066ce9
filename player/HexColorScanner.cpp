#include "player/HexColorScanner.h"

#include <cstddef>

namespace {

struct CodePoint {
    char32_t value;
    std::size_t length;
    bool valid;
};

// Decodes the UTF-8 sequence at the offset; anything malformed (a stray
// continuation byte, a truncated or overlong sequence, a surrogate) is one
// invalid byte.
CodePoint decode(std::string_view text, std::size_t offset) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[offset + i]); };
    unsigned char lead = byte(0);
    if (lead < 0x80)
        return {lead, 1, true};
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        return {lead, 1, false};
    }
    if (text.size() - offset < length)
        return {lead, 1, false};
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return {lead, 1, false};
        value = (value << 6) | (byte(i) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return {lead, 1, false};
    return {value, length, true};
}

// The platform's white space and newline set: the separators and the
// control characters from tab to carriage return and the next-line mark.
bool isWhitespaceOrNewline(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<std::uint32_t> scanHexIntAfterFirstCharacter(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    CodePoint first = decode(text, 0);
    // Half of a surrogate pair is neither white space nor a digit.
    if (first.valid && first.value > 0xFFFF)
        return std::nullopt;
    std::size_t position = first.length;

    while (position < text.size()) {
        CodePoint next = decode(text, position);
        if (!next.valid || !isWhitespaceOrNewline(next.value))
            break;
        position += next.length;
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
