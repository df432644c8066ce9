#include "apps/common/QuotedName.h"

#include "platform/corefoundation/UTF8Text.h"

#include <cstdio>

namespace {

enum class Quotes { Escaped, Kept };

// C0 and C1 controls and DEL: a terminal may act on any of them (C1 0x9B
// starts an escape sequence as surely as ESC [ does).
bool isShownAsWritten(char32_t c, Quotes quotes) {
    if (quotes == Quotes::Escaped && (c == '\\' || c == '\''))
        return false;
    return c >= 0x20 && c != 0x7F && !(c >= 0x80 && c <= 0x9F);
}

void appendEscaped(std::string& out, std::string_view bytes) {
    for (const char c : bytes) {
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(c));
        out += escape;
    }
}

// Appends the escaped text; answers whether it had to be cut.
bool appendPrintable(std::string& out, std::string_view text, std::size_t maximumCharacters,
                     Quotes quotes) {
    std::size_t shown = 0;
    for (std::size_t i = 0; i < text.size(); ++shown) {
        if (shown == maximumCharacters)
            return true;
        auto character = UTF8CharacterAt(text, i);
        const std::size_t length = character ? character->length : 1;
        if (character && isShownAsWritten(character->value, quotes))
            out.append(text.substr(i, length));
        else
            appendEscaped(out, text.substr(i, length));
        i += length;
    }
    return false;
}

} // namespace

std::string quotedName(std::string_view text) {
    std::string result = "'";
    bool cut = appendPrintable(result, text, kMaximumQuotedCharacters, Quotes::Escaped);
    return result + (cut ? "'..." : "'");
}

std::string printableText(std::string_view text, std::size_t maximumCharacters) {
    std::string result;
    if (appendPrintable(result, text, maximumCharacters, Quotes::Kept))
        result += "...";
    return result;
}
