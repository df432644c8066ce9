#include "apps/saver/SaverArguments.h"

#include "apps/common/CommandLine.h"
#include "apps/common/QuotedName.h"

#include <charconv>
#include <vector>

namespace {
// X resource ids have 29 bits.
constexpr unsigned long kLargestWindowId = 0x1FFFFFFF;
constexpr const char* kProgramName = "rotix-saver";
constexpr const char* kUsage =
    "usage: rotix-saver [-window-id ID | -root] [--root DIR] [--scenario FILE|-]\n";
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

std::variant<SaverArguments, int>
SaverArguments::parse(int argc, const char* const* argv,
                      const std::function<const char*(const char*)>& environment) {
    // The lockers' options have one dash, which the shared parser keeps for
    // one-letter names; they are read as their two-dash spellings.
    std::vector<std::string> words;
    for (int i = 0; i < argc; ++i) {
        std::string word = argv[i];
        if (i > 0 && word == "-window-id")
            word = "--window-id";
        else if (i > 0 && word == "-root")
            word = "--root-window";
        words.push_back(std::move(word));
    }
    std::vector<const char*> translated;
    for (const std::string& word : words)
        translated.push_back(word.c_str());

    CommandLine commandLine(kProgramName, kUsage,
                            "The lock screen, with the player following the desktop's music "
                            "players, drawn into a screen locker's window.");
    CLI::App& app = commandLine.app();
    SaverArguments arguments;
    std::string windowText;
    bool rootWindow = false;
    CLI::Option* windowOption =
        app.add_option("--window-id", windowText,
                       "The window to draw into, decimal or hexadecimal after 0x (also "
                       "-window-id); without it, XSCREENSAVER_WINDOW names it")
            ->type_name("ID");
    app.add_flag("--root-window", rootWindow,
                 "Draw into the whole screen when no window is named (also -root)");
    app.add_option("--root", arguments.root, "The device root, in place of the person's own")
        ->type_name("DIR");
    app.add_option("--scenario", arguments.scenarioPath,
                   "Scenario lines to run as they come (- for standard input)")
        ->type_name("FILE|-");
    if (auto stop = commandLine.parse(argc, translated.data()))
        return *stop;

    // A window named outright comes first, then the locker's; the whole
    // screen only when asked for and nothing else is named.
    const char* lockerWindow = environment("XSCREENSAVER_WINDOW");
    if (*windowOption) {
        arguments.window = parseWindowId(windowText);
        if (!arguments.window)
            return commandLine.refuse("bad window id " + quotedName(windowText));
    } else if (lockerWindow && *lockerWindow) {
        arguments.window = parseWindowId(lockerWindow);
        if (!arguments.window)
            return commandLine.refuse("bad window id in XSCREENSAVER_WINDOW: " +
                                      quotedName(lockerWindow));
    } else if (!rootWindow) {
        return commandLine.refuse("no window to draw into: XSCREENSAVER_WINDOW is not set "
                                  "(give -window-id ID, or -root for the whole screen)");
    }
    return arguments;
}
