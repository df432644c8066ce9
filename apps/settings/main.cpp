#include "apps/common/HostStartup.h"
#include "apps/common/Scenario.h"
#include "apps/common/ScenarioRunner.h"
#include "apps/settings/SettingsHost.h"
#include "apps/settings/SettingsWindow.h"

#include <iostream>
#include <string>

namespace {
int usage() {
    std::cerr << "usage: settings --scenario FILE|- [--clock manual|system] [--root DIR]\n"
                 "       settings [--window] [--scenario FILE|-] [--activator-key KEY=LISTENER]... "
                 "[--root DIR]\n";
    return 2;
}
} // namespace

int main(int argc, char** argv) {
    reserveStandardDescriptors();
    SettingsHost::Options options;
    std::string scenarioPath;
    bool window = false;
    std::vector<ActivatorKey> activatorKeys;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (argument == "--scenario") {
            const char* path = value();
            if (!path)
                return usage();
            scenarioPath = path;
        } else if (argument == "--clock") {
            const char* name = value();
            auto clock = name ? parseHostClock(name) : std::nullopt;
            if (!clock)
                return usage();
            options.clock = *clock;
        } else if (argument == "--root") {
            const char* root = value();
            if (!root)
                return usage();
            options.root = root;
        } else if (argument == "--window") {
            window = true;
        } else if (argument == "--activator-key") {
            const char* text = value();
            auto key = text ? parseActivatorKey(text) : std::nullopt;
            if (!key)
                return usage();
            activatorKeys.push_back(*key);
        } else {
            std::cerr << "settings: unknown option '" << argument << "'\n";
            return usage();
        }
    }
    // Without a scenario it is the Settings app in its window.
    if (scenarioPath.empty())
        window = true;
    // A window is a live session: it runs on the real clock.
    if (window)
        options.clock = HostClock::System;
    if (auto problem = chooseDeviceRoot(options.root)) {
        std::cerr << "settings: " << *problem << "\n";
        return 2;
    }

    SettingsHost host(options);
    Scenario scenario;
    host.registerCommands(scenario);
    if (window)
        return runSettingsWindow(host, scenario, scenarioPath, std::move(activatorKeys));
    return runHostScenario(scenario, scenarioPath, options.clock, "settings", [&] { host.boot(); });
}
