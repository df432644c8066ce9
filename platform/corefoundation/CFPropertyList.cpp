#include "platform/corefoundation/CFPropertyList.h"

#include <cmath>
#include <cstdlib>
#include <limits>

CFPropertyList CFPropertyList::data(std::vector<std::uint8_t> bytes) {
    return CFPropertyList(std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes)));
}

bool CFPropertyList::isBooleanTrue() const {
    const bool* flag = std::get_if<bool>(&m_value);
    return flag && *flag;
}

double CFPropertyList::doubleValue() const {
    if (auto* flag = std::get_if<bool>(&m_value))
        return *flag ? 1.0 : 0.0;
    if (auto* integer = std::get_if<std::int64_t>(&m_value))
        return static_cast<double>(*integer);
    if (auto* real = std::get_if<double>(&m_value))
        return *real;
    if (auto* text = std::get_if<std::string>(&m_value))
        return std::strtod(text->c_str(), nullptr);
    return 0.0;
}

float CFPropertyList::floatValue() const { return static_cast<float>(doubleValue()); }

bool CFPropertyList::boolValue() const {
    if (auto* flag = std::get_if<bool>(&m_value))
        return *flag;
    if (auto* integer = std::get_if<std::int64_t>(&m_value))
        return *integer != 0;
    if (auto* real = std::get_if<double>(&m_value))
        return *real != 0.0;
    if (auto* text = std::get_if<std::string>(&m_value)) {
        // NSString's boolValue: Y, y, T, t or a non-zero digit after
        // leading blanks, signs and zeros.
        for (char c : *text) {
            if (c == ' ' || c == '\t' || c == '+' || c == '-' || c == '0')
                continue;
            return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
        }
    }
    return false;
}

std::optional<std::int32_t> CFPropertyList::intValue() const {
    if (!isNumber() && !isBoolean())
        return std::nullopt;
    if (auto* integer = std::get_if<std::int64_t>(&m_value)) {
        // Core Foundation keeps the low 32 bits of a wider integer.
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(*integer));
    }
    double real = doubleValue();
    if (std::isnan(real))
        return 0;
    if (real >= 2147483647.0)
        return std::numeric_limits<std::int32_t>::max();
    if (real <= -2147483648.0)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(real);
}

bool CFPropertyList::operator==(const CFPropertyList& other) const {
    if (auto* a = std::get_if<CFData>(&m_value)) {
        auto* b = std::get_if<CFData>(&other.m_value);
        if (!b)
            return false;
        if (!*a || !*b)
            return !*a && !*b;
        return **a == **b;
    }
    return m_value == other.m_value;
}

const CFPropertyList* CFDictionaryGetValue(const CFDictionary* dictionary, const std::string& key) {
    if (!dictionary)
        return nullptr;
    auto found = dictionary->find(key);
    return found == dictionary->end() ? nullptr : &found->second;
}
