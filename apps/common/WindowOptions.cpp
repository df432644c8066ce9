#include "apps/common/WindowOptions.h"

#include <algorithm>
#include <cctype>

namespace {

std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return text;
}

bool isSet(const char* value) {
    return value && *value;
}

} // namespace

ActivatorKey defaultActivatorKey() {
    return {"n", "org.brenwick.rotix"};
}

std::optional<ActivatorKey> parseActivatorKey(const std::string& text) {
    auto equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 >= text.size())
        return std::nullopt;
    ActivatorKey binding{lowercase(text.substr(0, equals)), text.substr(equals + 1)};
    if (binding.key == "escape")
        return std::nullopt;
    return binding;
}

bool isInvisibleVideoDriver(const std::string& name) {
    std::string driver = lowercase(name);
    return driver == "offscreen" || driver == "dummy" || driver == "evdev";
}

std::optional<std::string>
displayUnavailableReason(const std::function<const char*(const char*)>& environment) {
    const char* driver = environment("SDL_VIDEODRIVER");
    if (isSet(driver)) {
        if (isInvisibleVideoDriver(driver))
            return "SDL_VIDEODRIVER=" + std::string(driver) +
                   " shows no window; unset it to use the display";
        std::string name = lowercase(driver);
        if (name == "x11" && !isSet(environment("DISPLAY")))
            return "no display to open a window on (DISPLAY is not set)";
        if (name == "wayland" && !isSet(environment("WAYLAND_DISPLAY")))
            return "no display to open a window on (WAYLAND_DISPLAY is not set)";
        // Another driver (a console's, say) finds its display itself.
        return std::nullopt;
    }
    if (!isSet(environment("DISPLAY")) && !isSet(environment("WAYLAND_DISPLAY")))
        return "no display to open a window on (neither DISPLAY nor WAYLAND_DISPLAY is set)";
    return std::nullopt;
}
