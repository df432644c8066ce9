#pragma once

#include "apps/common/Scenario.h"

class SpringBoardHost;

// The scenario commands of one finger on the lock screen, in screen points:
// "down", "move" and "up", or a whole "tap", "hold" or "drag". A finger that
// goes down wakes the screen, as on the glass.
void registerTouchCommands(Scenario& scenario, SpringBoardHost& host);
