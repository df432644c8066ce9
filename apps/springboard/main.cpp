#include "apps/common/Scenario.h"
#include "apps/common/ScenarioRunner.h"
#include "apps/springboard/SpringBoardHost.h"

#include <cstring>
#include <iostream>
#include <string>

namespace {
int usage() {
    std::cerr << "usage: springboard --scenario FILE|- [--clock manual|system] [--root DIR] "
                 "[--omit-class NAME]...\n";
    return 2;
}
} // namespace

int main(int argc, char** argv) {
    SpringBoardHost::Options options;
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
        } else if (argument == "--omit-class") {
            const char* name = value();
            if (!name)
                return usage();
            options.omittedClasses.emplace_back(name);
        } else {
            std::cerr << "springboard: unknown option '" << argument << "'\n";
            return usage();
        }
    }
    if (scenarioPath.empty())
        return usage();

    SpringBoardHost host(options);
    Scenario scenario;
    host.registerCommands(scenario);
    return runHostScenario(scenario, scenarioPath, options.clock, "springboard",
                           [&] { host.boot(); });
}
