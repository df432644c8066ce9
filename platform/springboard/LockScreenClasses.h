#pragma once

#include <set>
#include <string>
#include <vector>

// The lock screen's classes, registered with the runtime as the home-screen
// process starts. A system version without one of them is played by leaving
// it out: lookups of it then answer nothing.
struct LockScreenClasses {
    static const std::vector<std::string>& names();
    // Registers every class not left out; answers the names it registered.
    static std::vector<std::string> registerAll(const std::set<std::string>& omitted);
};
