#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

// One argument of a format: integers, floating point, C strings and objects'
// descriptions ("%@") are all passed as values.
class CFFormatArgument {
public:
    CFFormatArgument(int value) : m_value(static_cast<long long>(value)) {}
    CFFormatArgument(long value) : m_value(static_cast<long long>(value)) {}
    CFFormatArgument(long long value) : m_value(value) {}
    CFFormatArgument(unsigned value) : m_value(static_cast<unsigned long long>(value)) {}
    CFFormatArgument(unsigned long value) : m_value(static_cast<unsigned long long>(value)) {}
    CFFormatArgument(unsigned long long value) : m_value(value) {}
    CFFormatArgument(double value) : m_value(value) {}
    CFFormatArgument(const char* value) : m_value(std::string(value ? value : "(null)")) {}
    CFFormatArgument(std::string value) : m_value(std::move(value)) {}
    CFFormatArgument(std::string_view value) : m_value(std::string(value)) {}

    using Value = std::variant<long long, unsigned long long, double, std::string>;
    const Value& value() const { return m_value; }

private:
    Value m_value;
};

// printf-style formatting with the platform's "%@" for objects (given here as
// strings), the one engine under CFLog and NSString alike. A conversion
// without a matching argument prints nothing rather than reading past the
// arguments, so a format from a strings table that has more placeholders than
// the code supplies is harmless.
std::string CFStringCreateWithFormat(std::string_view format,
                                     const std::vector<CFFormatArgument>& arguments);
