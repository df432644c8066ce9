#pragma once

#include "apps/common/LiveWindow.h"
#include "apps/common/Scenario.h"

#include <functional>
#include <string>
#include <vector>

struct WindowSessionOptions {
    std::string programName;
    std::string title;
    // A scenario to run live beside the window: a file, "-" for standard
    // input, or empty for none.
    std::string scenarioPath;
    std::vector<ActivatorKey> activatorKeys;
};

// Runs a host in a window on the system clock until the window is closed,
// feeding the scenario's lines as they come; the end of the scenario leaves
// the window up. Answers the exit status: 0 when closed, 1 (after one line on
// standard error) when the display went away, 2 (after one line) when there
// is no display or the scenario cannot be read.
int runWindowSession(Scenario& scenario, const WindowSessionOptions& options,
                     const std::function<void()>& boot, LiveWindow::Host host,
                     const std::function<void(LiveWindow&)>& opened = {});
