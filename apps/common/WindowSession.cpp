#include "apps/common/WindowSession.h"

#include "apps/common/LiveScenarioInput.h"
#include "apps/common/WindowSessionLoop.h"

#include <cstdlib>
#include <iostream>

int runWindowSession(Scenario& scenario, const WindowSessionOptions& options,
                     const std::function<void()>& boot, LiveWindow::Host host,
                     const std::function<void(LiveWindow&)>& opened) {
    auto fail = [&](const std::string& message) {
        std::cerr << options.programName << ": " << message << "\n";
        return 2;
    };
    // Refused before anything starts, so a missing display costs nothing.
    if (auto reason = displayUnavailableReason([](const char* name) { return std::getenv(name); }))
        return fail(*reason);

    std::string error;
    auto input = LiveScenarioInput::open(options.scenarioPath, &error);
    if (!input)
        return fail(error);

    boot();
    LiveWindow::Options windowOptions{options.title, options.activatorKeys, options.programName};
    auto window = LiveWindow::open(windowOptions, std::move(host), &error);
    if (!window)
        return fail(error);
    if (opened)
        opened(*window);

    // A bad line is reported and the session goes on; the end of the lines
    // leaves the window to the person in front of it.
    return runWhileWindowIsOpen(window, *input, scenario, options.programName);
}
