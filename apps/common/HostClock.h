#pragma once

#include "platform/corefoundation/Clock.h"

#include <memory>
#include <optional>
#include <string>

// Which clock a host runs on: scenarios and tests use a manual clock that
// moves only when told to; a live session (a window, or commands typed or
// piped in) uses the real one.
enum class HostClock { Manual, System };

inline std::shared_ptr<Clock> makeClock(HostClock kind) {
    if (kind == HostClock::System)
        return std::make_shared<SystemClock>();
    return std::make_shared<ManualClock>();
}

inline std::optional<HostClock> parseHostClock(const std::string& text) {
    if (text == "manual")
        return HostClock::Manual;
    if (text == "system")
        return HostClock::System;
    return std::nullopt;
}
