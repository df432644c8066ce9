#include "platform/mediaremote/mpris/MprisURL.h"

#include "platform/foundation/HexDigit.h"

namespace {

// The path of the URL: after the scheme and, when "//" follows it, after the
// authority, up to a query or fragment.
std::string_view pathOf(std::string_view url) {
    url = url.substr(0, url.find_first_of("?#"));
    size_t colon = url.find(':');
    size_t slash = url.find('/');
    if (colon != std::string_view::npos && (slash == std::string_view::npos || colon < slash)) {
        url = url.substr(colon + 1);
        if (url.substr(0, 2) == "//") {
            size_t path = url.find('/', 2);
            return path == std::string_view::npos ? std::string_view() : url.substr(path);
        }
    }
    return url;
}

} // namespace

std::optional<std::string> MprisURL::percentDecoded(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            decoded += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        int high = hexDigitValue(text[i + 1]);
        int low = hexDigitValue(text[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        char c = static_cast<char>(high * 16 + low);
        if (c == '\0')
            return std::nullopt;
        decoded += c;
        i += 2;
    }
    return decoded;
}

std::optional<std::string> MprisURL::trackNameFromURL(std::string_view url) {
    std::string_view path = pathOf(url);
    std::string_view segment = path.substr(path.rfind('/') + 1);
    // A name with a broken escape is still a better title than none.
    std::string name = percentDecoded(segment).value_or(std::string(segment));
    // A leading dot starts a hidden file's name, not an extension.
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    if (name.empty())
        return std::nullopt;
    return name;
}
