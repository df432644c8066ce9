#include "platform/render/Json.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {
const Json& nullJson() {
    static const Json value;
    return value;
}

void writeString(std::string& out, std::string_view text) {
    out += '"';
    for (unsigned char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    out += '"';
}

class Parser {
public:
    explicit Parser(std::string_view text) : m_text(text) {}

    std::optional<Json> parseDocument() {
        auto value = parseValue(0);
        skipSpace();
        if (!value || m_position != m_text.size())
            return std::nullopt;
        return value;
    }

private:
    static constexpr int kMaximumDepth = 256;

    void skipSpace() {
        while (m_position < m_text.size() &&
               (m_text[m_position] == ' ' || m_text[m_position] == '\n' ||
                m_text[m_position] == '\r' || m_text[m_position] == '\t'))
            ++m_position;
    }

    bool consume(std::string_view literal) {
        if (m_text.substr(m_position, literal.size()) != literal)
            return false;
        m_position += literal.size();
        return true;
    }

    std::optional<std::string> parseString() {
        if (!consume("\""))
            return std::nullopt;
        std::string result;
        while (m_position < m_text.size()) {
            char c = m_text[m_position++];
            if (c == '"')
                return result;
            if (c != '\\') {
                result += c;
                continue;
            }
            if (m_position >= m_text.size())
                return std::nullopt;
            char escape = m_text[m_position++];
            switch (escape) {
            case '"':
                result += '"';
                break;
            case '\\':
                result += '\\';
                break;
            case '/':
                result += '/';
                break;
            case 'b':
                result += '\b';
                break;
            case 'f':
                result += '\f';
                break;
            case 'n':
                result += '\n';
                break;
            case 'r':
                result += '\r';
                break;
            case 't':
                result += '\t';
                break;
            case 'u': {
                if (m_position + 4 > m_text.size())
                    return std::nullopt;
                unsigned code =
                    std::strtoul(std::string(m_text.substr(m_position, 4)).c_str(), nullptr, 16);
                m_position += 4;
                if (code < 0x80) {
                    result += static_cast<char>(code);
                } else if (code < 0x800) {
                    result += static_cast<char>(0xC0 | (code >> 6));
                    result += static_cast<char>(0x80 | (code & 0x3F));
                } else {
                    result += static_cast<char>(0xE0 | (code >> 12));
                    result += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                    result += static_cast<char>(0x80 | (code & 0x3F));
                }
                break;
            }
            default:
                return std::nullopt;
            }
        }
        return std::nullopt;
    }

    std::optional<Json> parseValue(int depth) {
        if (depth > kMaximumDepth)
            return std::nullopt;
        skipSpace();
        if (m_position >= m_text.size())
            return std::nullopt;
        char c = m_text[m_position];
        if (c == '{') {
            ++m_position;
            Json object = Json::object();
            skipSpace();
            if (consume("}"))
                return object;
            for (;;) {
                skipSpace();
                auto key = parseString();
                skipSpace();
                if (!key || !consume(":"))
                    return std::nullopt;
                auto value = parseValue(depth + 1);
                if (!value)
                    return std::nullopt;
                object.set(*key, std::move(*value));
                skipSpace();
                if (consume("}"))
                    return object;
                if (!consume(","))
                    return std::nullopt;
            }
        }
        if (c == '[') {
            ++m_position;
            Json array = Json::array();
            skipSpace();
            if (consume("]"))
                return array;
            for (;;) {
                auto value = parseValue(depth + 1);
                if (!value)
                    return std::nullopt;
                array.push(std::move(*value));
                skipSpace();
                if (consume("]"))
                    return array;
                if (!consume(","))
                    return std::nullopt;
            }
        }
        if (c == '"') {
            auto text = parseString();
            return text ? std::optional<Json>(Json(*text)) : std::nullopt;
        }
        if (consume("true"))
            return Json(true);
        if (consume("false"))
            return Json(false);
        if (consume("null"))
            return Json();
        const char* start = m_text.data() + m_position;
        std::string number(start, std::min<size_t>(64, m_text.size() - m_position));
        char* end = nullptr;
        double value = std::strtod(number.c_str(), &end);
        if (end == number.c_str())
            return std::nullopt;
        m_position += static_cast<size_t>(end - number.c_str());
        return Json(value);
    }

    std::string_view m_text;
    size_t m_position = 0;
};
} // namespace

const Json::Array& Json::asArray() const {
    static const Array empty;
    return isArray() ? std::get<Array>(m_value) : empty;
}

const Json::Object& Json::asObject() const {
    static const Object empty;
    return isObject() ? std::get<Object>(m_value) : empty;
}

Json& Json::set(const std::string& key, Json value) {
    if (!isObject())
        m_value = Object{};
    auto& object = std::get<Object>(m_value);
    for (auto& entry : object) {
        if (entry.first == key) {
            entry.second = std::move(value);
            return entry.second;
        }
    }
    object.emplace_back(key, std::move(value));
    return object.back().second;
}

const Json& Json::operator[](std::string_view key) const {
    if (!isObject())
        return nullJson();
    for (const auto& entry : std::get<Object>(m_value)) {
        if (entry.first == key)
            return entry.second;
    }
    return nullJson();
}

bool Json::contains(std::string_view key) const {
    if (!isObject())
        return false;
    for (const auto& entry : std::get<Object>(m_value)) {
        if (entry.first == key)
            return true;
    }
    return false;
}

Json& Json::push(Json value) {
    if (!isArray())
        m_value = Array{};
    auto& array = std::get<Array>(m_value);
    array.push_back(std::move(value));
    return array.back();
}

const Json& Json::operator[](size_t index) const {
    if (!isArray() || index >= std::get<Array>(m_value).size())
        return nullJson();
    return std::get<Array>(m_value)[index];
}

size_t Json::size() const {
    if (isArray())
        return std::get<Array>(m_value).size();
    if (isObject())
        return std::get<Object>(m_value).size();
    return 0;
}

std::string Json::serialize(int indent) const {
    std::string out;
    write(out, indent, 0);
    out += '\n';
    return out;
}

void Json::write(std::string& out, int indent, int depth) const {
    auto newline = [&](int level) {
        if (indent <= 0)
            return;
        out += '\n';
        out.append(static_cast<size_t>(indent * level), ' ');
    };
    if (isNull()) {
        out += "null";
    } else if (isBool()) {
        out += std::get<bool>(m_value) ? "true" : "false";
    } else if (isNumber()) {
        double number = std::get<double>(m_value);
        if (!std::isfinite(number)) {
            out += "null";
        } else if (number == std::floor(number) && std::fabs(number) < 1e15) {
            char text[32];
            std::snprintf(text, sizeof text, "%.0f", number);
            out += text;
        } else {
            char text[32];
            std::snprintf(text, sizeof text, "%.17g", number);
            out += text;
        }
    } else if (isString()) {
        writeString(out, std::get<std::string>(m_value));
    } else if (isArray()) {
        const auto& array = std::get<Array>(m_value);
        if (array.empty()) {
            out += "[]";
            return;
        }
        out += '[';
        for (size_t i = 0; i < array.size(); ++i) {
            if (i)
                out += ',';
            newline(depth + 1);
            array[i].write(out, indent, depth + 1);
        }
        newline(depth);
        out += ']';
    } else {
        const auto& object = std::get<Object>(m_value);
        if (object.empty()) {
            out += "{}";
            return;
        }
        out += '{';
        for (size_t i = 0; i < object.size(); ++i) {
            if (i)
                out += ',';
            newline(depth + 1);
            writeString(out, object[i].first);
            out += indent > 0 ? ": " : ":";
            object[i].second.write(out, indent, depth + 1);
        }
        newline(depth);
        out += '}';
    }
}

std::optional<Json> Json::parse(std::string_view text) {
    return Parser(text).parseDocument();
}
