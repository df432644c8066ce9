#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

// A JSON value for dumps. Objects keep their keys in insertion order so
// dumps read top-down like the tree they describe.
class Json {
public:
    using Object = std::vector<std::pair<std::string, Json>>;
    using Array = std::vector<Json>;

    Json() : m_value(nullptr) {}
    Json(std::nullptr_t) : m_value(nullptr) {}
    Json(bool value) : m_value(value) {}
    Json(int value) : m_value(static_cast<double>(value)) {}
    Json(long value) : m_value(static_cast<double>(value)) {}
    Json(long long value) : m_value(static_cast<double>(value)) {}
    Json(unsigned value) : m_value(static_cast<double>(value)) {}
    Json(unsigned long value) : m_value(static_cast<double>(value)) {}
    Json(unsigned long long value) : m_value(static_cast<double>(value)) {}
    Json(double value) : m_value(value) {}
    Json(const char* value) : m_value(std::string(value)) {}
    Json(std::string value) : m_value(std::move(value)) {}
    Json(std::string_view value) : m_value(std::string(value)) {}
    Json(Array value) : m_value(std::move(value)) {}
    Json(Object value) : m_value(std::move(value)) {}

    static Json object() { return Json(Object{}); }
    static Json array() { return Json(Array{}); }

    bool isNull() const { return std::holds_alternative<std::nullptr_t>(m_value); }
    bool isBool() const { return std::holds_alternative<bool>(m_value); }
    bool isNumber() const { return std::holds_alternative<double>(m_value); }
    bool isString() const { return std::holds_alternative<std::string>(m_value); }
    bool isArray() const { return std::holds_alternative<Array>(m_value); }
    bool isObject() const { return std::holds_alternative<Object>(m_value); }

    bool asBool() const { return isBool() && std::get<bool>(m_value); }
    double asNumber() const { return isNumber() ? std::get<double>(m_value) : 0.0; }
    std::string asString() const { return isString() ? std::get<std::string>(m_value) : ""; }
    const Array& asArray() const;
    const Object& asObject() const;

    // Object access: set replaces or appends; lookup answers a null value
    // for a missing key.
    Json& set(const std::string& key, Json value);
    const Json& operator[](std::string_view key) const;
    bool contains(std::string_view key) const;
    // Array access.
    Json& push(Json value);
    const Json& operator[](size_t index) const;
    size_t size() const;

    std::string serialize(int indent = 2) const;
    // A parser for reading dumps back: bounded nesting, strict syntax.
    static std::optional<Json> parse(std::string_view text);

private:
    void write(std::string& out, int indent, int depth) const;

    std::variant<std::nullptr_t, bool, double, std::string, Array, Object> m_value;
};
