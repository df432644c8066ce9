#include "apps/common/CommandLine.h"
#include "apps/common/HostArguments.h"
#include "apps/common/HostStartup.h"
#include "apps/common/Scenario.h"
#include "apps/common/ScenarioRunner.h"
#include "apps/settings/SettingsHost.h"
#include "apps/settings/SettingsWindow.h"

#include <iostream>
#include <string>

namespace {

constexpr const char* kUsage =
    "usage: settings --scenario FILE|- [--clock manual|system] [--root DIR]\n"
    "                [--device NAME|WxH@S [phone|pad]]\n"
    "       settings [--window] [--scenario FILE|-] [--activator-key KEY=LISTENER]... [--root "
    "DIR]\n"
    "                [--device NAME|WxH@S [phone|pad]]\n";

} // namespace

int main(int argc, char** argv) {
    reserveStandardDescriptors();
    CommandLine commandLine("settings", kUsage,
                            "The Settings app: loads the settings bundle from the device root "
                            "and runs a scenario against its panes, or shows them in a window.");
    HostArguments arguments;
    arguments.addOptions(commandLine, "the Settings app");
    if (auto stop = commandLine.parse(argc, argv))
        return *stop;
    if (auto stop = arguments.check(commandLine))
        return *stop;
    // Without a scenario it is the Settings app in its window.
    if (arguments.scenarioPath.empty())
        arguments.window = true;

    SettingsHost::Options options{arguments.root, arguments.clock, arguments.device};
    // A window is a live session: it runs on the real clock.
    if (arguments.window)
        options.clock = HostClock::System;
    if (auto problem = chooseDeviceRoot(options.root)) {
        std::cerr << "settings: " << *problem << "\n";
        return 2;
    }

    SettingsHost host(options);
    Scenario scenario;
    host.registerCommands(scenario);
    if (arguments.window)
        return runSettingsWindow(host, scenario, arguments.scenarioPath,
                                 std::move(arguments.activatorKeys));
    return runHostScenario(scenario, arguments.scenarioPath, options.clock, "settings",
                           [&] { host.boot(); });
}
