#include "platform/corefoundation/CFString.h"

#include <cstdio>

namespace {

bool isFlagOrWidth(char c) {
    return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0' || c == '.' ||
           (c >= '1' && c <= '9');
}

bool isLengthModifier(char c) {
    return c == 'l' || c == 'h' || c == 'q' || c == 'z' || c == 'j' || c == 't' || c == 'L';
}

std::string formatOne(const std::string& flags, char conversion, const CFFormatArgument& argument) {
    char buffer[512];
    const auto& value = argument.value();
    switch (conversion) {
    case '@':
    case 's': {
        std::string spec = "%" + flags + "s";
        std::string text;
        if (auto* s = std::get_if<std::string>(&value))
            text = *s;
        else if (auto* i = std::get_if<long long>(&value))
            text = std::to_string(*i);
        else if (auto* u = std::get_if<unsigned long long>(&value))
            text = std::to_string(*u);
        else
            text = std::to_string(std::get<double>(value));
        if (flags.empty())
            return text;
        std::vector<char> out(text.size() + 512);
        std::snprintf(out.data(), out.size(), spec.c_str(), text.c_str());
        return out.data();
    }
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X':
    case 'o':
    case 'c': {
        long long number = 0;
        if (auto* i = std::get_if<long long>(&value))
            number = *i;
        else if (auto* u = std::get_if<unsigned long long>(&value))
            number = static_cast<long long>(*u);
        else if (auto* d = std::get_if<double>(&value))
            number = static_cast<long long>(*d);
        std::string spec = "%" + flags + "ll" + conversion;
        if (conversion == 'c')
            spec = "%" + flags + "c";
        if (conversion == 'c')
            std::snprintf(buffer, sizeof buffer, spec.c_str(), static_cast<int>(number));
        else
            std::snprintf(buffer, sizeof buffer, spec.c_str(), number);
        return buffer;
    }
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
    case 'a':
    case 'A': {
        double number = 0;
        if (auto* d = std::get_if<double>(&value))
            number = *d;
        else if (auto* i = std::get_if<long long>(&value))
            number = static_cast<double>(*i);
        else if (auto* u = std::get_if<unsigned long long>(&value))
            number = static_cast<double>(*u);
        std::string spec = "%" + flags + conversion;
        std::snprintf(buffer, sizeof buffer, spec.c_str(), number);
        return buffer;
    }
    default:
        return {};
    }
}

} // namespace

std::string CFStringCreateWithFormat(std::string_view format,
                                     const std::vector<CFFormatArgument>& arguments) {
    std::string result;
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c != '%') {
            result += c;
            continue;
        }
        size_t j = i + 1;
        if (j < format.size() && format[j] == '%') {
            result += '%';
            i = j;
            continue;
        }
        std::string flags;
        // Widths and precisions are bounded so a hostile format cannot ask
        // snprintf for an enormous field.
        while (j < format.size() && isFlagOrWidth(format[j]) && flags.size() < 8)
            flags += format[j++];
        while (j < format.size() && isLengthModifier(format[j]))
            ++j;
        if (j >= format.size())
            break;
        char conversion = format[j];
        i = j;
        if (next < arguments.size())
            result += formatOne(flags, conversion, arguments[next++]);
    }
    return result;
}
