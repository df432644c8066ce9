#pragma once

#include "settings/RotixSettingsPane.h"

// The clock pane: the clock label's colour, height and visibility. Its
// rows are read afresh each time it comes into view.
class ClockController : public RotixSettingsPane<ClockController> {
public:
    static constexpr const char* kClassName = "ClockController";
    static constexpr const char* kPlistName = "Clock";
    static constexpr ReloadOnAppear kReloadOnAppear = ReloadOnAppear::Yes;

protected:
    ClockController() = default;
};
