#pragma once

#include "apps/common/Scenario.h"
#include "apps/common/WindowOptions.h"

#include <string>
#include <vector>

class SettingsHost;

// Runs the Settings app in a desktop window: its panes on the screen, the
// mouse as a finger on its window, keys for Activator events; scenario lines
// on standard input still drive the panes. Answers the exit status.
int runSettingsWindow(SettingsHost& host, Scenario& scenario, const std::string& scenarioPath,
                      std::vector<ActivatorKey> activatorKeys);
