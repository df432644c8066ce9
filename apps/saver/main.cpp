#include "apps/common/HostStartup.h"
#include "apps/common/LiveScenarioInput.h"
#include "apps/common/Scenario.h"
#include "apps/common/WindowSessionLoop.h"
#include "apps/saver/SaverArguments.h"
#include "apps/saver/SaverDevice.h"
#include "apps/saver/SaverWindow.h"
#include "apps/saver/TerminationSignals.h"
#include "apps/springboard/NowPlayingSourceOption.h"
#include "apps/springboard/SpringBoardHost.h"
#include "platform/uikit/UIDevice.h"
#include "platform/uikit/UIWindow.h"

#include <cstdlib>
#include <iostream>
#include <unistd.h>

namespace {

constexpr const char* kProgramName = "rotix-saver";

// Every refusal is one line, and status 2.
int fail(const std::string& problem) {
    std::cerr << kProgramName << ": " << problem << "\n";
    return 2;
}

// A window that now calls for another device is a new home screen: the
// process starts again on it, as a respring would, keeping its arguments.
void startAgain(char** argv) {
    execv("/proc/self/exe", argv);
    std::cerr << kProgramName << ": cannot start again for the window's new shape\n";
}

} // namespace

int main(int argc, char** argv) {
    TerminationSignals signals;
    reserveStandardDescriptors();
    auto parsed =
        SaverArguments::parse(argc, argv, [](const char* name) { return std::getenv(name); });
    if (auto* status = std::get_if<int>(&parsed))
        return *status;
    auto arguments = std::get<SaverArguments>(parsed);
    if (auto problem = chooseDeviceRoot(arguments.root))
        return fail(*problem);
    std::string error;
    auto input = LiveScenarioInput::open(arguments.scenarioPath, &error);
    if (!input)
        return fail(error);
    auto window = SaverWindow::attach(arguments.window, kProgramName, &error);
    if (!window)
        return fail(error);

    // The home screen runs on the real clock, on a device of the window's
    // shape, held the way the window lies; the turn it makes follows the
    // home screen's own rule.
    SpringBoardHost::Options options;
    options.root = arguments.root;
    options.clock = HostClock::System;
    SpringBoardHost host(options);
    const SaverDevice device = SaverDevice::forWindow(window->width(), window->height());
    host.setDevice(device.profile);
    UIDevice::currentDevice()->setOrientation(device.orientation);
    installNowPlayingSource(NowPlayingSourceKind::Mpris, host, kProgramName);
    Scenario scenario;
    host.registerCommands(scenario);
    host.boot();

    window->show([&host] { return std::static_pointer_cast<UIView>(host.window()); },
                 [&device, argv](int width, int height) {
                     if (!SaverDevice::forWindow(width, height).sameLayout(device))
                         startAgain(argv);
                 });
    host.addDumpSection("saverWindow", [&window] {
        auto statistics = window->statistics();
        Json section = Json::object();
        section.set("window", static_cast<double>(statistics.window));
        section.set("process", static_cast<double>(getpid()));
        section.set("frames", statistics.frames);
        section.set("pixelWidth", statistics.pixelWidth);
        section.set("pixelHeight", statistics.pixelHeight);
        section.set("scale", statistics.scale);
        section.set("originX", statistics.originX);
        section.set("originY", statistics.originY);
        return section;
    });
    signals.watch([&window] { window->close(); });
    return runWhileWindowIsOpen(window, *input, scenario, kProgramName);
}
