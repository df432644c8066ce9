#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

class CFPropertyList;

using CFDictionary = std::map<std::string, CFPropertyList>;
using CFArray = std::vector<CFPropertyList>;

// Bytes are shared and immutable, so passing a dictionary with artwork in it
// around (ten times a second) never copies the artwork.
using CFData = std::shared_ptr<const std::vector<std::uint8_t>>;

// A date, in seconds since the reference date.
struct CFDate {
    double absoluteTime = 0;
    bool operator==(const CFDate&) const = default;
};

// A property-list value that keeps its kind: the boolean true is not the
// number 1 and not the string "true", as the preference rules require.
class CFPropertyList {
public:
    using Value = std::variant<bool, std::int64_t, double, std::string, CFData, CFDate, CFArray,
                               CFDictionary>;

    CFPropertyList() : m_value(false) {}
    CFPropertyList(bool value) : m_value(value) {}
    CFPropertyList(int value) : m_value(static_cast<std::int64_t>(value)) {}
    CFPropertyList(std::int64_t value) : m_value(value) {}
    CFPropertyList(double value) : m_value(value) {}
    CFPropertyList(const char* value) : m_value(std::string(value)) {}
    CFPropertyList(std::string value) : m_value(std::move(value)) {}
    CFPropertyList(CFData value) : m_value(std::move(value)) {}
    CFPropertyList(CFDate value) : m_value(value) {}
    CFPropertyList(CFArray value) : m_value(std::move(value)) {}
    CFPropertyList(CFDictionary value) : m_value(std::move(value)) {}

    static CFPropertyList data(std::vector<std::uint8_t> bytes);

    const Value& value() const { return m_value; }

    bool isBoolean() const { return std::holds_alternative<bool>(m_value); }
    bool isNumber() const {
        return std::holds_alternative<std::int64_t>(m_value) ||
               std::holds_alternative<double>(m_value);
    }
    bool isString() const { return std::holds_alternative<std::string>(m_value); }
    bool isData() const { return std::holds_alternative<CFData>(m_value); }
    bool isDate() const { return std::holds_alternative<CFDate>(m_value); }
    bool isArray() const { return std::holds_alternative<CFArray>(m_value); }
    bool isDictionary() const { return std::holds_alternative<CFDictionary>(m_value); }

    // The boolean true object, kCFBooleanTrue: the only value a flag counts.
    bool isBooleanTrue() const;

    // The platform's conversions, as NSNumber and NSString answer them:
    // numbers and booleans convert; strings parse a leading number; anything
    // else answers zero.
    double doubleValue() const;
    float floatValue() const;
    bool boolValue() const;
    // CFNumberGetValue with kCFNumberIntType: the value converted to a signed
    // 32-bit integer (out-of-range values saturate, NaN gives 0).
    std::optional<std::int32_t> intValue() const;

    const std::string* string() const { return std::get_if<std::string>(&m_value); }
    const CFData* bytes() const { return std::get_if<CFData>(&m_value); }
    const CFDate* date() const { return std::get_if<CFDate>(&m_value); }
    const CFArray* array() const { return std::get_if<CFArray>(&m_value); }
    const CFDictionary* dictionary() const { return std::get_if<CFDictionary>(&m_value); }

    bool operator==(const CFPropertyList& other) const;

private:
    Value m_value;
};

// Looks a key up in an optional dictionary: an absent dictionary reads every
// key as absent.
const CFPropertyList* CFDictionaryGetValue(const CFDictionary* dictionary, const std::string& key);
