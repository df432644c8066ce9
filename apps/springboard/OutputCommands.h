#pragma once

#include "apps/common/Scenario.h"

class SpringBoardHost;

// The scenario commands that show what the home screen is doing: "snapshot"
// (the screen as a picture) and "dump" (its state as JSON). Both start the
// lock screen first and let what waits run, so they show the present.
void registerOutputCommands(Scenario& scenario, SpringBoardHost& host);
