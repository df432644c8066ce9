#pragma once

#include "apps/common/LiveScenarioInput.h"
#include "apps/common/Scenario.h"
#include "platform/foundation/NSRunLoop.h"

#include <memory>
#include <string>

// Runs the main loop while a window shows a host, feeding the scenario's
// lines as they come, then stops reading them and closes the window. Any
// window that tells whether it is closed and whether its display went away
// will do: the desktop's or a screen locker's. Answers the exit status: 1
// when the display went away, else 0.
template <class Window>
int runWhileWindowIsOpen(std::unique_ptr<Window>& window, LiveScenarioInput& input,
                         Scenario& scenario, const std::string& programName) {
    input.start(scenario, programName);
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    while (!window->isClosed())
        loop.run();
    input.stop();
    bool lost = window->lostDisplay();
    window.reset();
    return lost ? 1 : 0;
}
