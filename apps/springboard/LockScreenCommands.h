#pragma once

#include "apps/common/Scenario.h"

class SpringBoardHost;

// The scenario commands of what the lock screen hears from the rest of the
// system: "passcode", "post" (a distributed notification), "activator" (an
// event for a listener) and "media-page" (its page rebuilt).
void registerLockScreenCommands(Scenario& scenario, SpringBoardHost& host);
