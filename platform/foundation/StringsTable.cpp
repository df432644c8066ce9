#include "platform/foundation/StringsTable.h"

#include "platform/corefoundation/PropertyListFile.h"
#include "platform/corefoundation/UTF8Text.h"
#include "platform/foundation/HexDigit.h"

#include <cstring>
#include <string_view>

namespace {

// UTF-16 with its byte order mark, as tables are often saved; a lone
// surrogate becomes the replacement character rather than failing the table.
std::string utf16ToUtf8(std::span<const std::uint8_t> bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    auto unit = [&](size_t i) -> std::uint32_t {
        return bigEndian ? (bytes[i] << 8 | bytes[i + 1]) : (bytes[i + 1] << 8 | bytes[i]);
    };
    size_t count = bytes.size() / 2;
    for (size_t i = 0; i < count; ++i) {
        std::uint32_t code = unit(i * 2);
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < count) {
            std::uint32_t low = unit((i + 1) * 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        appendUTF8Character(out, code);
    }
    return out;
}

bool isTokenCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '.' || c == '$' || c == ':' || c == '/' || c == '-';
}

// A cursor over the text format. Every step moves forward, so any input ends.
class TextParser {
public:
    explicit TextParser(std::string_view text) : m_text(text) {}

    std::optional<StringsTable::Entries> parse(std::string& error) {
        StringsTable::Entries entries;
        for (;;) {
            if (!skipSpaceAndComments(error))
                return std::nullopt;
            if (atEnd())
                return entries;
            auto key = readString(error);
            if (!key)
                return std::nullopt;
            if (!skipSpaceAndComments(error))
                return std::nullopt;
            std::string value = *key;
            if (peek() == '=') {
                ++m_position;
                if (!skipSpaceAndComments(error))
                    return std::nullopt;
                auto text = readString(error);
                if (!text)
                    return std::nullopt;
                value = std::move(*text);
                if (!skipSpaceAndComments(error))
                    return std::nullopt;
            }
            if (peek() != ';')
                return fail(error, "expected ';'");
            ++m_position;
            if (entries.size() == StringsTable::kMaximumEntries && !entries.count(*key))
                return fail(error, "more than 65536 entries");
            entries.insert_or_assign(std::move(*key), std::move(value));
        }
    }

private:
    bool atEnd() const { return m_position >= m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text[m_position]; }

    std::nullopt_t fail(std::string& error, const std::string& message) {
        error = message + " at byte " + std::to_string(m_position);
        return std::nullopt;
    }

    bool skipSpaceAndComments(std::string& error) {
        while (!atEnd()) {
            char c = m_text[m_position];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
                ++m_position;
            } else if (m_text.substr(m_position, 2) == "/*") {
                size_t end = m_text.find("*/", m_position + 2);
                if (end == std::string_view::npos) {
                    fail(error, "unterminated comment");
                    return false;
                }
                m_position = end + 2;
            } else if (m_text.substr(m_position, 2) == "//") {
                size_t end = m_text.find('\n', m_position);
                m_position = end == std::string_view::npos ? m_text.size() : end + 1;
            } else {
                break;
            }
        }
        return true;
    }

    std::optional<std::string> readString(std::string& error) {
        if (peek() != '"') {
            size_t start = m_position;
            while (!atEnd() && isTokenCharacter(m_text[m_position]))
                ++m_position;
            if (m_position == start)
                return fail(error, "expected a string");
            return std::string(m_text.substr(start, m_position - start));
        }
        ++m_position;
        std::string out;
        for (;;) {
            if (atEnd())
                return fail(error, "unterminated string");
            char c = m_text[m_position++];
            if (c == '"')
                return out;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (atEnd())
                return fail(error, "unterminated string");
            char escaped = m_text[m_position++];
            switch (escaped) {
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case 'a':
                out += '\a';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'v':
                out += '\v';
                break;
            case 'U':
            case 'u': {
                auto code = readHexUnit(error);
                if (!code)
                    return std::nullopt;
                // A high surrogate pairs with an escaped low one that follows.
                std::string_view next = m_text.substr(m_position, 2);
                if (*code >= 0xD800 && *code <= 0xDBFF && (next == "\\U" || next == "\\u")) {
                    size_t saved = m_position;
                    m_position += 2;
                    auto low = readHexUnit(error);
                    if (low && *low >= 0xDC00 && *low <= 0xDFFF)
                        *code = 0x10000 + ((*code - 0xD800) << 10) + (*low - 0xDC00);
                    else
                        m_position = saved;
                }
                appendUTF8Character(out, *code);
                break;
            }
            default:
                if (escaped >= '0' && escaped <= '7') {
                    int value = escaped - '0';
                    for (int digits = 1; digits < 3 && peek() >= '0' && peek() <= '7'; ++digits)
                        value = value * 8 + (m_text[m_position++] - '0');
                    appendUTF8Character(out, static_cast<std::uint32_t>(value));
                } else {
                    // \" \\ \' and any other character stand for themselves.
                    out += escaped;
                }
            }
        }
    }

    std::optional<std::uint32_t> readHexUnit(std::string& error) {
        std::uint32_t code = 0;
        for (int i = 0; i < 4; ++i) {
            int digit = hexDigitValue(peek());
            if (digit < 0)
                return fail(error, "expected four hexadecimal digits");
            code = code * 16 + static_cast<std::uint32_t>(digit);
            ++m_position;
        }
        return code;
    }

    std::string_view m_text;
    size_t m_position = 0;
};

bool startsWith(std::span<const std::uint8_t> bytes, std::string_view prefix) {
    return bytes.size() >= prefix.size() &&
           std::memcmp(bytes.data(), prefix.data(), prefix.size()) == 0;
}

} // namespace

std::optional<StringsTable::Entries> StringsTable::parse(std::span<const std::uint8_t> bytes,
                                                         std::string* error) {
    std::string ignored;
    std::string& message = error ? *error : ignored;
    if (bytes.size() > kMaximumBytes) {
        message = "larger than 1 MiB";
        return std::nullopt;
    }

    // A compiled table is a property list: a dictionary of strings.
    if (startsWith(bytes, "bplist") || startsWith(bytes, "<?xml") || startsWith(bytes, "<plist")) {
        PropertyListFile::Status status;
        auto value = PropertyListFile::parse(bytes, &status);
        const CFDictionary* dictionary = value ? value->dictionary() : nullptr;
        if (!dictionary) {
            message = value ? "not a dictionary" : PropertyListFile::describe(status);
            return std::nullopt;
        }
        Entries entries;
        for (const auto& [key, item] : *dictionary) {
            if (entries.size() == kMaximumEntries)
                break;
            if (const std::string* text = item.string())
                entries.emplace(key, *text);
        }
        return entries;
    }

    std::string text;
    if (startsWith(bytes, "\xFF\xFE"))
        text = utf16ToUtf8(bytes.subspan(2), false);
    else if (startsWith(bytes, "\xFE\xFF"))
        text = utf16ToUtf8(bytes.subspan(2), true);
    else if (startsWith(bytes, "\xEF\xBB\xBF"))
        text.assign(reinterpret_cast<const char*>(bytes.data()) + 3, bytes.size() - 3);
    else
        text.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return TextParser(text).parse(message);
}
