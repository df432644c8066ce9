#pragma once

#include "apps/common/Scenario.h"

class SpringBoardHost;

// The scenario commands that choose and turn the device: "device", before
// the lock screen starts, and "orientation".
void registerDeviceCommands(Scenario& scenario, SpringBoardHost& host);
