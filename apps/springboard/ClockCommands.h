#pragma once

#include "apps/common/Scenario.h"

class SpringBoardHost;

// The scenario command that runs the clock: "wait", which starts the lock
// screen first so that there is something for the time to pass on.
void registerClockCommands(Scenario& scenario, SpringBoardHost& host);
