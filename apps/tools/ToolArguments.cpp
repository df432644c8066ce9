#include "apps/tools/ToolArguments.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

std::optional<double> parseFiniteNumber(std::string_view text) {
    // strtod needs a terminated string and accepts leading white space, which
    // from_chars (for doubles) does not on every library, so both are checked.
    if (text.empty() || text.size() > 64 || std::isspace(static_cast<unsigned char>(text[0])))
        return std::nullopt;
    const std::string copy(text);
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || errno == ERANGE || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<unsigned long> parseUnsigned(std::string_view text) {
    unsigned long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<UIColor> parseHexColor(std::string_view text, HexAlpha alpha) {
    const bool withAlpha = text.size() == 9 && alpha == HexAlpha::Allowed;
    if (text.empty() || text[0] != '#' || (text.size() != 7 && !withAlpha))
        return std::nullopt;
    double components[4] = {0, 0, 0, 1};
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        unsigned value = 0;
        const char* first = text.data() + 1 + i;
        const auto [end, error] = std::from_chars(first, first + 2, value, 16);
        if (error != std::errc() || end != first + 2)
            return std::nullopt;
        components[i / 2] = value / 255.0;
    }
    return UIColor::colorWithRed(components[0], components[1], components[2], components[3]);
}

int reportInputError(std::string_view program, const std::string& message) {
    std::fprintf(stderr, "%.*s: %s\n", static_cast<int>(program.size()), program.data(),
                 message.c_str());
    return 2;
}
