#include "platform/foundation/Utf8Text.h"

#include <cstdint>

namespace {
constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";
}

std::size_t utf8SequenceLength(std::string_view text, std::size_t offset) {
    auto byte = static_cast<unsigned char>(text[offset]);
    std::size_t length = byte < 0x80           ? 1
                         : (byte >> 5) == 0x6  ? 2
                         : (byte >> 4) == 0xE  ? 3
                         : (byte >> 3) == 0x1E ? 4
                                               : 0;
    if (length == 0 || length > text.size() - offset)
        return 0;
    std::uint32_t codePoint = length == 1 ? byte : byte & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        auto next = static_cast<unsigned char>(text[offset + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past the last code point.
    static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < kSmallest[length] || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

bool isValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = utf8SequenceLength(text, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string repairedUtf8(std::string_view text) {
    if (isValidUtf8(text))
        return std::string(text);
    std::string repaired;
    repaired.reserve(text.size() + 2);
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = utf8SequenceLength(text, i);
        if (length == 0) {
            repaired += kReplacementCharacter;
            ++i;
        } else {
            repaired.append(text, i, length);
            i += length;
        }
    }
    return repaired;
}
