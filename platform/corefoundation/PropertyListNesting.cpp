#include "platform/corefoundation/PropertyListNesting.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr size_t kNotFound = static_cast<size_t>(-1);

bool startsWith(Bytes bytes, size_t position, std::string_view literal) {
    return position <= bytes.size() && bytes.size() - position >= literal.size() &&
           std::memcmp(bytes.data() + position, literal.data(), literal.size()) == 0;
}

size_t find(Bytes bytes, size_t from, std::string_view literal) {
    for (size_t i = from; i < bytes.size(); ++i) {
        if (startsWith(bytes, i, literal))
            return i;
    }
    return kNotFound;
}

bool isXmlSpace(std::uint8_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Skips a declaration such as <!DOCTYPE ...>, whose internal subset may hold
// brackets and quoted text with '>' in it. Answers the index after it.
size_t skipDeclaration(Bytes bytes, size_t from) {
    int brackets = 0;
    std::uint8_t quote = 0;
    for (size_t i = from; i < bytes.size(); ++i) {
        std::uint8_t c = bytes[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '[') {
            ++brackets;
        } else if (c == ']') {
            brackets = std::max(0, brackets - 1);
        } else if (c == '>' && brackets == 0) {
            return i + 1;
        }
    }
    return kNotFound;
}

// Follows the elements as XML defines them (comments, character data and
// declarations hold no elements) and insists that every end tag closes the
// element it names, so no arrangement of tags can hide a level.
PropertyListNesting checkXml(Bytes bytes, int maximumDepth) {
    struct Open {
        std::string_view name;
        bool container;
    };
    // The list's root element, its containers and one value inside the last.
    const size_t maximumElements = static_cast<size_t>(maximumDepth) + 4;
    std::vector<Open> open;
    int containers = 0;
    size_t i = 0;
    for (;;) {
        size_t lessThan = find(bytes, i, "<");
        if (lessThan == kNotFound)
            return PropertyListNesting::Within;
        size_t p = lessThan + 1;
        if (startsWith(bytes, p, "!--")) {
            size_t end = find(bytes, p + 3, "-->");
            if (end == kNotFound)
                return PropertyListNesting::Malformed;
            i = end + 3;
            continue;
        }
        if (startsWith(bytes, p, "![CDATA[")) {
            size_t end = find(bytes, p + 8, "]]>");
            if (end == kNotFound)
                return PropertyListNesting::Malformed;
            i = end + 3;
            continue;
        }
        if (startsWith(bytes, p, "?")) {
            size_t end = find(bytes, p + 1, "?>");
            if (end == kNotFound)
                return PropertyListNesting::Malformed;
            i = end + 2;
            continue;
        }
        if (startsWith(bytes, p, "!")) {
            i = skipDeclaration(bytes, p + 1);
            if (i == kNotFound)
                return PropertyListNesting::Malformed;
            continue;
        }

        bool closing = startsWith(bytes, p, "/");
        if (closing)
            ++p;
        size_t nameStart = p;
        while (p < bytes.size() && !isXmlSpace(bytes[p]) && bytes[p] != '>' && bytes[p] != '/')
            ++p;
        std::string_view name(reinterpret_cast<const char*>(bytes.data()) + nameStart,
                              p - nameStart);
        std::uint8_t quote = 0;
        size_t end = p;
        for (; end < bytes.size(); ++end) {
            std::uint8_t c = bytes[end];
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                break;
            }
        }
        if (end == bytes.size() || name.empty())
            return PropertyListNesting::Malformed;
        i = end + 1;

        if (closing) {
            if (open.empty() || open.back().name != name)
                return PropertyListNesting::Malformed;
            if (open.back().container)
                --containers;
            open.pop_back();
            continue;
        }
        bool container = name == "dict" || name == "array";
        if (container && containers + 1 > maximumDepth)
            return PropertyListNesting::TooDeep;
        bool selfClosing = bytes[end - 1] == '/';
        if (selfClosing)
            continue;
        if (open.size() == maximumElements)
            return PropertyListNesting::TooDeep;
        open.push_back({name, container});
        if (container)
            ++containers;
    }
}

// Walks the object graph of a binary list ("bplist00": objects, an offset
// table and a 32-byte trailer) from the top object, remembering each object's
// height and expanded size, so shared objects are measured once.
class BinaryNesting {
public:
    BinaryNesting(Bytes bytes, int maximumDepth) : m_bytes(bytes), m_maximumDepth(maximumDepth) {}

    PropertyListNesting check() {
        constexpr size_t kHeader = 8;
        constexpr size_t kTrailer = 32;
        if (m_bytes.size() < kHeader + kTrailer + 1 || !startsWith(m_bytes, 0, "bplist00"))
            return PropertyListNesting::Malformed;
        size_t trailer = m_bytes.size() - kTrailer;
        m_offsetSize = m_bytes[trailer + 6];
        m_referenceSize = m_bytes[trailer + 7];
        std::uint64_t count = readNumber(trailer + 8, 8);
        std::uint64_t top = readNumber(trailer + 16, 8);
        m_tableOffset = readNumber(trailer + 24, 8);
        if (m_offsetSize < 1 || m_offsetSize > 8 || m_referenceSize < 1 || m_referenceSize > 8)
            return PropertyListNesting::Malformed;
        if (m_tableOffset < kHeader || m_tableOffset > trailer || count == 0 || top >= count)
            return PropertyListNesting::Malformed;
        if (count > (trailer - m_tableOffset) / m_offsetSize)
            return PropertyListNesting::Malformed;
        m_count = count;
        m_state.assign(count, State::Unvisited);
        m_height.assign(count, 0);
        m_expanded.assign(count, 0);
        m_keyState.assign(count, KeyState::Unchecked);
        return visit(top, 0);
    }

private:
    // More objects than any preference file of a mebibyte holds for real.
    static constexpr std::uint64_t kMaximumExpandedObjects = 1 << 20;

    enum class State : std::uint8_t { Unvisited, Visiting, Done };

    enum class KeyState : std::uint8_t { Unchecked, Usable, Unusable };

    static constexpr std::uint8_t kUtf16String = 0x6;

    std::uint64_t readNumber(size_t position, size_t width) const {
        std::uint64_t value = 0;
        for (size_t i = 0; i < width; ++i)
            value = (value << 8) | m_bytes[position + i];
        return value;
    }

    // Where the object starts, or nothing when that is outside the objects.
    std::optional<std::uint64_t> offsetOf(std::uint64_t object) const {
        std::uint64_t offset = readNumber(m_tableOffset + object * m_offsetSize, m_offsetSize);
        if (offset < 8 || offset >= m_tableOffset)
            return std::nullopt;
        return offset;
    }

    // The count in an object's marker, or in the integer after it; moves the
    // position past what it read.
    std::optional<std::uint64_t> readLength(std::uint8_t marker, std::uint64_t& position) const {
        std::uint64_t length = marker & 0x0F;
        if (length != 0x0F)
            return length;
        if (position >= m_tableOffset || (m_bytes[position] >> 4) != 0x1)
            return std::nullopt;
        size_t width = size_t{1} << (m_bytes[position] & 0x0F);
        if (width > 8 || m_tableOffset - position - 1 < width)
            return std::nullopt;
        length = readNumber(position + 1, width);
        position += 1 + width;
        return length;
    }

    // libplist aborts on a UTF-16 key holding a NUL character; other keys it
    // checks itself. Each key is looked at once, however often it is used.
    bool isUsableKey(std::uint64_t key) {
        if (m_keyState[key] != KeyState::Unchecked)
            return m_keyState[key] == KeyState::Usable;
        m_keyState[key] = KeyState::Unusable;
        std::optional<std::uint64_t> offset = offsetOf(key);
        if (!offset)
            return false;
        std::uint8_t marker = m_bytes[*offset];
        if (marker >> 4 == kUtf16String) {
            std::uint64_t position = *offset + 1;
            std::optional<std::uint64_t> length = readLength(marker, position);
            if (!length || *length > (m_tableOffset - position) / 2)
                return false;
            for (std::uint64_t i = 0; i < *length; ++i) {
                if (m_bytes[position + 2 * i] == 0 && m_bytes[position + 2 * i + 1] == 0)
                    return false;
            }
        }
        m_keyState[key] = KeyState::Usable;
        return true;
    }

    // The references an array, set or dictionary holds (keys and values);
    // false when the object does not fit the file or a key is unusable.
    bool children(std::uint64_t object, bool& container, std::vector<std::uint64_t>& out) {
        std::optional<std::uint64_t> offset = offsetOf(object);
        if (!offset)
            return false;
        std::uint8_t marker = m_bytes[*offset];
        std::uint8_t kind = marker >> 4;
        container = kind == 0xA || kind == 0xC || kind == 0xD;
        if (!container)
            return true;
        std::uint64_t position = *offset + 1;
        std::optional<std::uint64_t> length = readLength(marker, position);
        if (!length)
            return false;
        std::uint64_t references = kind == 0xD ? *length * 2 : *length;
        if (kind == 0xD && *length > (std::uint64_t{1} << 62))
            return false;
        if (references > (m_tableOffset - position) / m_referenceSize)
            return false;
        out.clear();
        out.reserve(references);
        for (std::uint64_t i = 0; i < references; ++i) {
            std::uint64_t reference = readNumber(position + i * m_referenceSize, m_referenceSize);
            if (reference >= m_count)
                return false;
            if (kind == 0xD && i < *length && !isUsableKey(reference))
                return false;
            out.push_back(reference);
        }
        return true;
    }

    // The depth is the number of containers above the object; recursion
    // stops at the maximum, so the walk itself stays shallow.
    PropertyListNesting visit(std::uint64_t object, int depth) {
        if (m_state[object] == State::Done) {
            return depth + m_height[object] > m_maximumDepth ? PropertyListNesting::TooDeep
                                                             : PropertyListNesting::Within;
        }
        // Coming back to an object still being walked is a cycle: endless nesting.
        if (m_state[object] == State::Visiting)
            return PropertyListNesting::TooDeep;
        bool container = false;
        std::vector<std::uint64_t> references;
        if (!children(object, container, references))
            return PropertyListNesting::Malformed;
        if (!container) {
            m_state[object] = State::Done;
            m_expanded[object] = 1;
            return PropertyListNesting::Within;
        }
        if (depth + 1 > m_maximumDepth)
            return PropertyListNesting::TooDeep;
        m_state[object] = State::Visiting;
        int height = 0;
        std::uint64_t expanded = 1;
        for (std::uint64_t child : references) {
            PropertyListNesting result = visit(child, depth + 1);
            if (result != PropertyListNesting::Within)
                return result;
            height = std::max(height, m_height[child]);
            expanded = std::min(expanded + m_expanded[child], kMaximumExpandedObjects + 1);
        }
        m_state[object] = State::Done;
        m_height[object] = height + 1;
        m_expanded[object] = expanded;
        return expanded > kMaximumExpandedObjects ? PropertyListNesting::TooManyObjects
                                                  : PropertyListNesting::Within;
    }

    Bytes m_bytes;
    int m_maximumDepth;
    size_t m_offsetSize = 0;
    size_t m_referenceSize = 0;
    std::uint64_t m_tableOffset = 0;
    std::uint64_t m_count = 0;
    std::vector<State> m_state;
    std::vector<int> m_height;
    std::vector<std::uint64_t> m_expanded;
    std::vector<KeyState> m_keyState;
};

} // namespace

PropertyListNesting checkPropertyListNesting(std::span<const std::uint8_t> bytes,
                                             int maximumDepth) {
    // Anything that starts like a binary list goes to the binary parser, so
    // it is measured as one even when its version is not the one we know.
    if (startsWith(bytes, 0, "bplist"))
        return BinaryNesting(bytes, maximumDepth).check();
    return checkXml(bytes, maximumDepth);
}
