#pragma once

#include "apps/common/HostClock.h"
#include "apps/common/Scenario.h"

#include <functional>
#include <string>

// Runs a host's scenario the way its command line asked: a file, or "-" for
// standard input. On the manual clock the lines run as they are read, and a
// line or an input too long for a scenario stops the run; on the system
// clock the host starts at once and runs every line as it arrives, until the
// input ends. Answers the process's exit status.
int runHostScenario(Scenario& scenario, const std::string& path, HostClock clock,
                    const std::string& programName, const std::function<void()>& boot);
