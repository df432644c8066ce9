#include "apps/common/HostArguments.h"

#include "apps/common/DeviceChoice.h"
#include "apps/common/QuotedName.h"

void HostArguments::addOptions(CommandLine& commandLine, const std::string& screen) {
    CLI::App& app = commandLine.app();
    app.add_option("--scenario", scenarioPath,
                   "Run the scenario's commands: a file, or - for standard input")
        ->type_name("FILE|-");
    app.add_option("--clock", m_clockName,
                   "The clock: manual (the default), which moves only as the scenario says, "
                   "or system; a window always runs on the system clock")
        ->type_name("manual|system");
    app.add_option("--root", root, "The device root: the folder that plays the phone's files")
        ->type_name("DIR");
    app.add_option("--device", m_deviceWords,
                   "The device: iphone-se, iphone-7, iphone-7-plus (the default), ipad, or any "
                   "size and scale, with phone or pad")
        ->type_name("NAME|WxH@S [phone|pad]")
        ->expected(1, 2)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    app.add_flag("--window", window, "Show " + screen + " in a desktop window, on the real clock");
    app.add_option("--activator-key", m_activatorKeyTexts,
                   "In the window, KEY sends an Activator event to LISTENER (repeatable; "
                   "without it, n sends one to org.brenwick.rotix)")
        ->type_name("KEY=LISTENER")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

std::optional<int> HostArguments::check(const CommandLine& commandLine) {
    auto parsedClock = parseHostClock(m_clockName);
    if (!parsedClock)
        return commandLine.refuse("--clock needs manual or system, not " + quotedName(m_clockName));
    clock = *parsedClock;
    if (!m_deviceWords.empty()) {
        std::string error;
        device = parseDeviceChoice(m_deviceWords, &error);
        if (!device)
            return commandLine.refuse("--device: " + error);
    }
    for (const std::string& text : m_activatorKeyTexts) {
        auto key = parseActivatorKey(text);
        if (!key)
            return commandLine.refuse("--activator-key needs KEY=LISTENER with a key other than "
                                      "Escape, not " +
                                      quotedName(text));
        activatorKeys.push_back(*key);
    }
    return std::nullopt;
}
