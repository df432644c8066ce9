#include "apps/saver/SaverArguments.h"

#include "apps/common/QuotedName.h"

#include <charconv>

namespace {
// X resource ids have 29 bits.
constexpr unsigned long kLargestWindowId = 0x1FFFFFFF;
constexpr const char* kUsage =
    " (usage: rotix-saver [-window-id ID | -root] [--root DIR] [--scenario FILE|-])";
} // namespace

std::optional<unsigned long> parseWindowId(const std::string& text) {
    int base = 10;
    size_t start = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        start = 2;
    }
    unsigned long value = 0;
    const char* first = text.data() + start;
    const char* last = text.data() + text.size();
    auto [end, error] = std::from_chars(first, last, value, base);
    if (error != std::errc() || end != last || first == last || value == 0 ||
        value > kLargestWindowId)
        return std::nullopt;
    return value;
}

std::variant<SaverArguments, std::string>
SaverArguments::parse(int argc, const char* const* argv,
                      const std::function<const char*(const char*)>& environment) {
    SaverArguments arguments;
    std::optional<std::string> windowOption;
    bool rootWindow = false;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= argc)
                return std::nullopt;
            return std::string(argv[++i]);
        };
        if (argument == "-window-id" || argument == "--window-id") {
            windowOption = value();
            if (!windowOption)
                return argument + " needs a window id" + kUsage;
        } else if (argument == "-root") {
            rootWindow = true;
        } else if (argument == "--root") {
            auto folder = value();
            if (!folder)
                return "--root needs a folder" + std::string(kUsage);
            arguments.root = *folder;
        } else if (argument == "--scenario") {
            auto path = value();
            if (!path)
                return "--scenario needs a file, or - for standard input" + std::string(kUsage);
            arguments.scenarioPath = *path;
        } else {
            return "unknown option " + quotedName(argument) + kUsage;
        }
    }
    // A window named outright comes first, then the locker's; the whole
    // screen only when asked for and nothing else is named.
    const char* lockerWindow = environment("XSCREENSAVER_WINDOW");
    if (windowOption) {
        arguments.window = parseWindowId(*windowOption);
        if (!arguments.window)
            return "bad window id " + quotedName(*windowOption);
    } else if (lockerWindow && *lockerWindow) {
        arguments.window = parseWindowId(lockerWindow);
        if (!arguments.window)
            return "bad window id in XSCREENSAVER_WINDOW: " + quotedName(lockerWindow);
    } else if (!rootWindow) {
        return "no window to draw into: XSCREENSAVER_WINDOW is not set "
               "(give -window-id ID, or -root for the whole screen)";
    }
    return arguments;
}
