#include "platform/corefoundation/UTF8Text.h"

#include <glib.h>
#include <memory>

bool isValidUTF8(std::string_view text) {
    // GLib counts a NUL inside the given length as invalid.
    return g_utf8_validate_len(text.data(), text.size(), nullptr);
}

std::string stringByRepairingUTF8(std::string_view text) {
    if (isValidUTF8(text))
        return std::string(text);
    std::unique_ptr<gchar, decltype(&g_free)> repaired(
        g_utf8_make_valid(text.data(), static_cast<gssize>(text.size())), &g_free);
    return repaired ? std::string(repaired.get()) : std::string();
}

std::optional<UTF8Character> UTF8CharacterAt(std::string_view text, std::size_t offset) {
    if (offset >= text.size())
        return std::nullopt;
    const gchar* start = text.data() + offset;
    gunichar value = g_utf8_get_char_validated(start, static_cast<gssize>(text.size() - offset));
    // (gunichar)-1 is a malformed sequence, (gunichar)-2 one cut short.
    if (value == 0 || value == static_cast<gunichar>(-1) || value == static_cast<gunichar>(-2))
        return std::nullopt;
    return UTF8Character{static_cast<char32_t>(value),
                         static_cast<std::size_t>(g_utf8_next_char(start) - start)};
}

void appendUTF8Character(std::string& out, char32_t value) {
    if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        value = 0xFFFD;
    gchar bytes[6];
    gint length = g_unichar_to_utf8(static_cast<gunichar>(value), bytes);
    out.append(bytes, static_cast<std::size_t>(length));
}
