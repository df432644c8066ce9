#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// One argument of a format: integers, floating point, C strings and objects'
// descriptions ("%@") are all passed as values.
class NSFormatArgument {
public:
    NSFormatArgument(int value) : m_value(static_cast<long long>(value)) {}
    NSFormatArgument(long value) : m_value(static_cast<long long>(value)) {}
    NSFormatArgument(long long value) : m_value(value) {}
    NSFormatArgument(unsigned value) : m_value(static_cast<unsigned long long>(value)) {}
    NSFormatArgument(unsigned long value) : m_value(static_cast<unsigned long long>(value)) {}
    NSFormatArgument(unsigned long long value) : m_value(value) {}
    NSFormatArgument(double value) : m_value(value) {}
    NSFormatArgument(const char* value) : m_value(std::string(value ? value : "(null)")) {}
    NSFormatArgument(std::string value) : m_value(std::move(value)) {}
    NSFormatArgument(std::string_view value) : m_value(std::string(value)) {}

    using Value = std::variant<long long, unsigned long long, double, std::string>;
    const Value& value() const { return m_value; }

private:
    Value m_value;
};

// printf-style formatting with the platform's "%@" for objects (given here as
// strings). A conversion without a matching argument prints nothing rather
// than reading past the arguments, so a format from a strings table that has
// more placeholders than the code supplies is harmless.
std::string NSStringFromFormat(std::string_view format, const std::vector<NSFormatArgument>& arguments);

template <class... Args>
std::string stringWithFormat(std::string_view format, Args&&... args) {
    return NSStringFromFormat(format, {NSFormatArgument(std::forward<Args>(args))...});
}
