#include "apps/common/CommandLine.h"
#include "apps/common/HostArguments.h"
#include "apps/common/HostStartup.h"
#include "apps/common/QuotedName.h"
#include "apps/common/Scenario.h"
#include "apps/common/ScenarioRunner.h"
#include "apps/springboard/NowPlayingSourceOption.h"
#include "apps/springboard/SpringBoardHost.h"
#include "apps/springboard/SpringBoardWindow.h"
#include "platform/uikit/UIView.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: springboard --scenario FILE|- [--clock manual|system] [--root DIR] "
    "[--omit-class NAME]...\n"
    "                   [--source demo|mpris|auto] [--device NAME|WxH@S [phone|pad]]\n"
    "       springboard [--window] [--scenario FILE|-] [--activator-key KEY=LISTENER]...\n"
    "                   [--root DIR] [--source demo|mpris|auto] [--device NAME|WxH@S "
    "[phone|pad]]\n";

} // namespace

int main(int argc, char** argv) {
    reserveStandardDescriptors();
    CommandLine commandLine("springboard", kUsage,
                            "The home-screen process: loads the player into the lock screen "
                            "and runs a scenario against it, or shows it in a window.");
    HostArguments arguments;
    arguments.addOptions(commandLine, "the lock screen");
    std::vector<std::string> omittedClasses;
    std::string sourceName = "demo";
    commandLine.app()
        .add_option("--omit-class", omittedClasses,
                    "Start without one of the lock screen's classes, as another system "
                    "version would (repeatable)")
        ->type_name("NAME")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    CLI::Option* sourceOption =
        commandLine.app()
            .add_option("--source", sourceName,
                        "Where the music comes from: the demo player (the default), the desktop's "
                        "players over MPRIS, or auto: the desktop's when one is running")
            ->type_name("demo|mpris|auto");
    if (auto stop = commandLine.parse(argc, argv))
        return *stop;
    if (auto stop = arguments.check(commandLine))
        return *stop;
    // Started as a desktop program, with neither a scenario nor --window, it
    // is the lock screen in a window following the desktop's players.
    if (arguments.scenarioPath.empty() && !arguments.window) {
        arguments.window = true;
        if (!*sourceOption)
            sourceName = "auto";
    }
    auto source = parseNowPlayingSourceKind(sourceName);
    if (!source)
        return commandLine.refuse("--source needs demo, mpris or auto, not " +
                                  quotedName(sourceName));

    SpringBoardHost::Options options{arguments.root, arguments.clock, std::move(omittedClasses),
                                     arguments.device};
    // A window is a live session: it runs on the real clock.
    if (arguments.window)
        options.clock = HostClock::System;
    if (auto problem = chooseDeviceRoot(options.root)) {
        std::cerr << "springboard: " << *problem << "\n";
        return 2;
    }

    // Without a window nobody looks at every frame: views draw when something
    // looks, not on every tick of the ring. A window shows each frame, so its
    // passes draw as a screen's do.
    if (!arguments.window)
        UIView::setDisplayPasses(UIView::DisplayPasses::OnDemand);
    SpringBoardHost host(options);
    installNowPlayingSource(*source, host);
    Scenario scenario;
    host.registerCommands(scenario);
    if (arguments.window)
        return runSpringBoardWindow(host, scenario, arguments.scenarioPath,
                                    std::move(arguments.activatorKeys));
    return runHostScenario(scenario, arguments.scenarioPath, options.clock, "springboard",
                           [&] { host.boot(); });
}
