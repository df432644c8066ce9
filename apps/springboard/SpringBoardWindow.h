#pragma once

#include "apps/common/Scenario.h"
#include "apps/common/WindowOptions.h"

#include <string>
#include <vector>

class SpringBoardHost;

// Runs the home-screen host in a desktop window: the lock screen on the
// screen, the mouse as the finger (through the host's own down, move and up
// commands, so the lock screen sees a touch exactly as a scenario's), and
// keys for Activator events. Answers the exit status.
int runSpringBoardWindow(SpringBoardHost& host, Scenario& scenario, const std::string& scenarioPath,
                         std::vector<ActivatorKey> activatorKeys);
