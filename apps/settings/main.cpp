#include "apps/common/Scenario.h"
#include "apps/common/ScenarioRunner.h"
#include "apps/settings/SettingsHost.h"

#include <iostream>
#include <string>

namespace {
int usage() {
    std::cerr << "usage: settings --scenario FILE|- [--clock manual|system] [--root DIR]\n";
    return 2;
}
} // namespace

int main(int argc, char** argv) {
    SettingsHost::Options options;
    std::string scenarioPath;
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
        } else {
            std::cerr << "settings: unknown option '" << argument << "'\n";
            return usage();
        }
    }
    if (scenarioPath.empty())
        return usage();

    SettingsHost host(options);
    Scenario scenario;
    host.registerCommands(scenario);
    return runHostScenario(scenario, scenarioPath, options.clock, "settings", [&] { host.boot(); });
}
