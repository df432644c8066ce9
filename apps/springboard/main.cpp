#include "apps/common/HostStartup.h"
#include "apps/common/Scenario.h"
#include "apps/common/ScenarioRunner.h"
#include "apps/springboard/NowPlayingSourceOption.h"
#include "apps/springboard/SpringBoardHost.h"
#include "apps/springboard/SpringBoardWindow.h"
#include "platform/uikit/UIView.h"

#include <cstring>
#include <iostream>
#include <string>

namespace {
int usage() {
    std::cerr << "usage: springboard --scenario FILE|- [--clock manual|system] [--root DIR] "
                 "[--omit-class NAME]... [--source demo|mpris|auto]\n"
                 "       springboard --window [--scenario FILE|-] "
                 "[--activator-key KEY=LISTENER]... [--root DIR] [--source demo|mpris|auto]\n";
    return 2;
}
} // namespace

int main(int argc, char** argv) {
    reserveStandardDescriptors();
    SpringBoardHost::Options options;
    std::string scenarioPath;
    bool window = false;
    std::vector<ActivatorKey> activatorKeys;
    NowPlayingSourceKind source = NowPlayingSourceKind::Demo;
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
        } else if (argument == "--source") {
            const char* name = value();
            auto kind = name ? parseNowPlayingSourceKind(name) : std::nullopt;
            if (!kind)
                return usage();
            source = *kind;
        } else if (argument == "--window") {
            window = true;
        } else if (argument == "--activator-key") {
            const char* text = value();
            auto key = text ? parseActivatorKey(text) : std::nullopt;
            if (!key)
                return usage();
            activatorKeys.push_back(*key);
        } else {
            std::cerr << "springboard: unknown option '" << argument << "'\n";
            return usage();
        }
    }
    // A window is a live session: it runs on the real clock.
    if (window)
        options.clock = HostClock::System;
    if (scenarioPath.empty() && !window)
        return usage();
    if (auto problem = deviceRootProblem(options.root)) {
        std::cerr << "springboard: " << *problem << "\n";
        return 2;
    }

    // Without a window nobody looks at every frame: views draw when something
    // looks, not on every tick of the ring. A window shows each frame, so its
    // passes draw as a screen's do.
    if (!window)
        UIView::setDisplayPasses(UIView::DisplayPasses::OnDemand);
    SpringBoardHost host(options);
    installNowPlayingSource(source, host);
    Scenario scenario;
    host.registerCommands(scenario);
    if (window)
        return runSpringBoardWindow(host, scenario, scenarioPath, std::move(activatorKeys));
    return runHostScenario(scenario, scenarioPath, options.clock, "springboard",
                           [&] { host.boot(); });
}
