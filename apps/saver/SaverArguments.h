#pragma once

#include <functional>
#include <optional>
#include <string>
#include <variant>

// What the saver was asked to do. Screen lockers name the window to draw
// into in XSCREENSAVER_WINDOW (xsecurelock, xscreensaver) or with
// -window-id (xscreensaver's preview); xscreensaver's older hacks were given
// -root, meaning the whole screen, when no window is named.
struct SaverArguments {
    // The window's id, or nothing for the root window.
    std::optional<unsigned long> window;
    std::string root;
    std::string scenarioPath;

    // The arguments, or the status to exit with: 0 after --help or
    // --version, 2 after a mistake, reported in one line.
    static std::variant<SaverArguments, int>
    parse(int argc, const char* const* argv,
          const std::function<const char*(const char*)>& environment);
};

// A window id as the lockers write it: decimal, or hexadecimal after "0x".
std::optional<unsigned long> parseWindowId(const std::string& text);
